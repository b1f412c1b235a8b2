// What desktop users expect of the window: the language menu (captions
// follow, outputs do not), a dropped file, the recent files, and settings
// kept in the configuration folder when the program's folder takes no files.
// Every window here is placed in a scratch folder, so that its preferences
// start empty.

#include "AppTestSupport.h"
#include "PageTestSupport.h"
#include "app/CoreTexts.h"
#include "app/MainWindow.h"
#include "app/MessageBoxes.h"
#include "app/WholeSpinBox.h"
#include "config/Settings.h"
#include "shared/CodePage.h"

#include <QAction>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray kData = "a.dat,2005/01/01 00:00:00,12,1,0,10,\r\n"
                         "a.dat,2005/01/01 00:10:00,7,0,0,10,\r\n"
                         "a.dat,2005/01/01 00:40:00,5,2,0,10,\r\n"
                         "a.dat,2005/01/02 03:50:00,3,0,0,10,\r\n"
                         "a.dat,2005/01/02 04:00:00,1,0,0,0,\r\n";

const char* const kOutputs[] = {"report10.csv", "report60.csv", "velkreport.txt", "rmob.txt",
                                "NoObsList.txt"};

} // namespace

class TestDesktopHabits : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QString previousDir_;
    QStringList messages_;

    QString path(const QString& name) const { return QDir(dir_.path()).filePath(name); }
    std::unique_ptr<MainWindow> makeForm(const QString& programFolder = QStringLiteral("program")) {
        QDir().mkpath(path(programFolder));
        return std::make_unique<MainWindow>(
            nullptr,
            QFile::encodeName(path(programFolder + QStringLiteral("/velkreport"))).toStdString());
    }
    // Every output of one read, written into folder.
    QList<QByteArray> outputsOfARun(MainWindow& form, const QString& folder) {
        QDir().mkpath(folder);
        const WindowUi ui(form);
        form.folderDialog = [folder](QWidget*) { return std::optional<QString>(folder); };
        ui.chooseOutputFolderAction->trigger();
        form.openFile(path(QStringLiteral("velkdata.csv")));
        waitForRun(form);
        for (QPushButton* button : {ui.tenMinuteWriteButton, ui.hourWriteButton,
                                    ui.writeTextReportButton, ui.rmobBandWriteButton}) {
            button->click();
        }
        waitForRun(form);
        QList<QByteArray> bytes;
        for (const char* name : kOutputs) {
            bytes.append(readBytes(QDir(folder).filePath(QString::fromUtf8(name))));
        }
        return bytes;
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        previousDir_ = QDir::currentPath();
        writeBytes(path(QStringLiteral("velkdata.csv")), kData);
        setMessageBoxHook([this](QMessageBox::Icon, const QString& text) { messages_ << text; });
    }
    void cleanupTestCase() {
        setMessageBoxHook({});
        QDir::setCurrent(previousDir_);
    }

    void languageChangesCaptionsButNeverOutputs() {
        auto form = makeForm(QStringLiteral("language"));
        WindowUi ui_form(*form);
        QCOMPARE(form->language(), Language::Japanese);
        const QList<QByteArray> japanese = outputsOfARun(*form, path(QStringLiteral("out-ja")));

        ui_form.englishAction->trigger();
        const struct {
            QString shown, english;
        } captions[] = {
            {ui_form.recomputeButton->text(), QStringLiteral("Recompute")},
            {ui_form.fileMenu->title(), QStringLiteral("&File")},
            {ui_form.openAction->text(), QStringLiteral("&Open velkdata.csv file...")},
            {form->windowTitle(), QStringLiteral("VelkReport Version 0.12")},
            {ui_form.rmobMonthlyButton->toolTip(),
             QStringLiteral("Writes one file per UT month for the RMOB bulletin, with the "
                            "station information")},
        };
        for (const auto& caption : captions) {
            QCOMPARE(caption.shown, caption.english);
        }
        const QList<QByteArray> english = outputsOfARun(*form, path(QStringLiteral("out-en")));
        // The button's caption while running gives way to the English one.
        QCOMPARE(ui_form.recomputeButton->text(), QStringLiteral("Recompute"));
        for (int i = 0; i < english.size(); ++i) {
            QVERIFY2(!japanese[i].isEmpty(), kOutputs[i]);
            QVERIFY2(japanese[i] == english[i], kOutputs[i]);
        }

        // Kept for the next start; and back again.
        form.reset();
        form = makeForm(QStringLiteral("language"));
        ui_form = WindowUi(*form);
        QCOMPARE(form->language(), Language::English);
        QVERIFY(ui_form.englishAction->isChecked());
        QCOMPARE(ui_form.exitButton->text(), QStringLiteral("Exit"));
        // The core's own Japanese texts follow the language where the window shows them.
        const std::string implausible = utf8ToCp932(
            "データが不正です。\r観測時間が「０」なのにエコー数が記録されています。 \r[ a,1 ]");
        QVERIFY(coreTextForDisplay(implausible).startsWith(QStringLiteral("Implausible data.\n")));
        QVERIFY(coreTextForDisplay(implausible).endsWith(QStringLiteral("\n[ a,1 ]")));
        QVERIFY(coreTextForDisplay(settingsDisplayText(form->settings()))
                    .startsWith(QStringLiteral("Settings\nSettings file")));
        ui_form.japaneseAction->trigger();
        QCOMPARE(ui_form.exitButton->text(), QStringLiteral("終了"));
        QCOMPARE(coreTextForDisplay(implausible),
                 QStringLiteral("データが不正です。\n観測時間が「０」なのにエコー数が記録されていま"
                                "す。 \n[ a,1 ]"));
        QCOMPARE(form->windowTitle(), QStringLiteral("VelkReport Vertion 0.12"));
    }

    void aRunsBarFitsSmallScreensAndFollowsALanguageChosenMeanwhile() {
        auto form = makeForm(QStringLiteral("language-run"));
        const WindowUi ui_form(*form);
        // 1600 x 1000 at twice the scale: the window fits in its smallest size,
        // before a run and with the run's progress bar.
        const auto fits = [&form] {
            const QSize smallest = form->minimumSizeHint();
            return smallest.width() <= 800 && smallest.height() <= 500;
        };
        QVERIFY(fits());
        form->openFile(path(QStringLiteral("velkdata.csv")));
        waitForRun(*form);
        // A pipe held open keeps the next run reading.
        const QString pipe = path(QStringLiteral("growing.csv"));
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        const int writer = ::open(QFile::encodeName(pipe).constData(), O_RDWR);
        QVERIFY(writer >= 0);
        // Closed on the way out too, or a failed check would leave the run waiting.
        std::unique_ptr<const int, void (*)(const int*)> closeWriter(
            &writer, [](const int* fd) { ::close(*fd); });
        QCOMPARE(::write(writer, kData.constData(), kData.size()), kData.size());
        form->openFile(pipe);
        QVERIFY(form->isRunning());
        QVERIFY(ui_form.progressBar->isVisibleTo(form.get()) && fits());
        QTest::qWait(100);
        ui_form.englishAction->trigger();
        QCOMPARE(ui_form.cancelButton->text(), QStringLiteral("Stop"));
        QCOMPARE(named<QLabel>(*form, "ProgressStep")->text(), QStringLiteral("Reading the lines"));
        closeWriter.reset();
        waitForRun(*form);
        QVERIFY(named<QLabel>(*form, "LoadSummary")->text().startsWith(QStringLiteral("Read ")));
        ui_form.japaneseAction->trigger();
        QCOMPARE(named<QLabel>(*form, "LoadSummary")->toolTip(),
                 QStringLiteral("%1 を読み込みました (5 行、不良 1 行)。出力先: %2")
                     .arg(pipe, QDir::toNativeSeparators(QDir::currentPath())));
    }

    void aDroppedFileOpens() {
        auto form = makeForm(QStringLiteral("drop"));
        const WindowUi ui_form(*form);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path(QStringLiteral("velkdata.csv")))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(form.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form.get(), &drop);
        waitForRun(*form);
        QCOMPARE(ui_form.dataFileField->text(), path(QStringLiteral("velkdata.csv")));
        QCOMPARE(ui_form.lineCountField->text(), QStringLiteral("5"));

        // Two files at once are not a data file.
        data.setUrls({QUrl::fromLocalFile(path(QStringLiteral("a"))),
                      QUrl::fromLocalFile(path(QStringLiteral("b")))});
        QDragEnterEvent two(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        two.setAccepted(false);
        QCoreApplication::sendEvent(form.get(), &two);
        QVERIFY(!two.isAccepted());
    }

    void recentFilesKeepTheLastFiveNewestFirst() {
        auto form = makeForm(QStringLiteral("recent"));
        WindowUi ui_form(*form);
        QStringList names;
        for (int i = 0; i < 7; ++i) {
            names << path(QStringLiteral("day%1.csv").arg(i));
            writeBytes(names.back(), kData);
            form->openFile(names.back());
        }
        form->openFile(names[3]); // again: moves to the front, not listed twice
        const QStringList expected = {names[3], names[6], names[5], names[4], names[2]};
        QCOMPARE(form->recentFiles(), expected);
        QCOMPARE(ui_form.recentMenu->actions().size(), 5);

        ui_form.recentMenu->actions().at(2)->trigger();
        QCOMPARE(ui_form.dataFileField->text(), names[5]);
        waitForRun(*form);
        QCOMPARE(ui_form.dataFileField->text(), names[5]);

        // With the option, the newest opens at the next start.
        ui_form.reopenLastAction->setChecked(true);
        form.reset();
        form = makeForm(QStringLiteral("recent"));
        ui_form = WindowUi(*form);
        waitForRun(*form);
        QCOMPARE(ui_form.dataFileField->text(), names[5]);
        QCOMPARE(ui_form.lineCountField->text(), QStringLiteral("5"));

        // A file gone since: chosen, it says so and leaves the list; the
        // window stays with the file its pages show.
        const auto gone = [](const QString& name) {
            return QStringLiteral("ファイル「%1」を開けません。\n原因: "
                                  "ファイルまたはフォルダがありません")
                .arg(name);
        };
        QVERIFY(QFile::remove(names[5]));
        messages_.clear();
        ui_form.recentMenu->actions().at(0)->trigger();
        QCOMPARE(messages_, QStringList{gone(names[5])});
        QCOMPARE(form->recentFiles(), (QStringList{names[3], names[6], names[4], names[2]}));
        QCOMPARE(ui_form.recentMenu->actions().size(), 4);
        QVERIFY(!form->isRunning());
        QCOMPARE(ui_form.dataFileField->text(), names[5]);
        QCOMPARE(ui_form.lineCountField->text(), QStringLiteral("5"));
        // 再計算 of it says the same.
        messages_.clear();
        ui_form.recomputeButton->click();
        QCOMPARE(messages_, QStringList{gone(names[5])});

        // Gone at the next start: said, forgotten, nothing claimed read.
        QVERIFY(QFile::remove(names[3]));
        messages_.clear();
        form.reset();
        form = makeForm(QStringLiteral("recent"));
        ui_form = WindowUi(*form);
        QCOMPARE(messages_, QStringList{gone(names[3])});
        QCOMPARE(form->recentFiles(), (QStringList{names[6], names[4], names[2]}));
        QVERIFY(!form->isRunning());
        QCOMPARE(ui_form.lineCountField->text(), QStringLiteral("InData"));
        QVERIFY(named<QLabel>(*form, "LoadSummary")->isHidden());
    }

    void optionsFolderAndPageAreKeptAndSettingsAreNotLostUnasked() {
        auto form = makeForm(QStringLiteral("habits"));
        WindowUi ui_form(*form);
        const QString out = path(QStringLiteral("habits-out"));
        QDir().mkpath(out);
        form->folderDialog = [out](QWidget*) { return std::optional<QString>(out); };
        ui_form.chooseOutputFolderAction->trigger();
        ui_form.rmobMonthlyPictures->click();
        ui_form.pages->setCurrentWidget(ui_form.rmobTab);
        QVERIFY(form->close());
        form.reset();
        form = makeForm(QStringLiteral("habits"));
        ui_form = WindowUi(*form);
        QCOMPARE(form->outputFolder(), out);
        QCOMPARE(ui_form.pages->currentWidget(), ui_form.rmobTab);
        QVERIFY(ui_form.rmobMonthlyPictures->isChecked());
        // Restoring the options writes each key once, in its own group.
        QSettings kept(form->preferencesFile(), QSettings::IniFormat);
        kept.beginGroup(QStringLiteral("colorgramme"));
        QVERIFY(kept.childGroups().isEmpty());
        QVERIFY(kept.value(QStringLiteral("picturesWithMonthlyFiles")).toBool());

        // A changed setting: quitting asks; Cancel stays, Discard goes unsaved.
        QList<QMessageBox::StandardButton> answers = {QMessageBox::Cancel, QMessageBox::Discard};
        setQuestionHook([&](const QString&) { return answers.takeFirst(); });
        ui_form.utOffsetSpin->setValue(3);
        messages_.clear();
        QVERIFY(!form->close());
        QCOMPARE(messages_, QStringList{QStringLiteral("設定が変更されています。保存しますか?")});
        QVERIFY(form->close());
        QVERIFY(answers.isEmpty());
        QVERIFY(!QFile::exists(QString::fromStdString(form->settings().filePath)));
        // 初期設定に戻す asks first; No keeps the settings.
        answers = {QMessageBox::No};
        ui_form.defaultsAction->trigger();
        QCOMPARE(form->settings().utOffsetHours, 3);
        QVERIFY(answers.isEmpty());
        setQuestionHook({});
    }

    void settingsMoveToTheConfigurationFolderWhenTheProgramsFolderTakesNoFiles() {
        const QString config = path(QStringLiteral("config"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
        // /proc takes no new files, not even from root.
        MainWindow installed(nullptr, "/proc/velkreport");
        const WindowUi ui_installed(installed);
        const QString expected = config + QStringLiteral("/velkreport/velkreport.ini");
        QCOMPARE(QString::fromStdString(installed.settings().filePath), expected);
        ui_installed.utOffsetSpin->setValue(5);
        ui_installed.saveSettingsAction->trigger();
        QCOMPARE(readBytes(expected).size(), 40);
        QCOMPARE(QFileInfo(installed.preferencesFile()).absolutePath(),
                 config + QStringLiteral("/velkreport"));
        // Restoring the defaults keeps the place.
        ui_installed.defaultsAction->trigger();
        QCOMPARE(QString::fromStdString(installed.settings().filePath), expected);

        MainWindow again(nullptr, "/proc/velkreport");
        QCOMPARE(again.settings().utOffsetHours, 5);

        // A writable program folder keeps them beside the program.
        auto beside = makeForm(QStringLiteral("portable"));
        QCOMPARE(QString::fromStdString(beside->settings().filePath),
                 path(QStringLiteral("portable/velkreport.ini")));
        qunsetenv("XDG_CONFIG_HOME");
    }
};

QTEST_MAIN(TestDesktopHabits)
#include "DesktopHabitsTest.moc"
