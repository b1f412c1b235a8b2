// What desktop users expect of the window: the language menu (captions
// follow, outputs do not), a dropped file, the recent files, and settings
// kept in the configuration folder when the program's folder takes no files.
// Every window here is placed in a scratch folder, so that its preferences
// start empty.

#include "AppTestSupport.h"
#include "app/CoreTexts.h"
#include "app/MainWindow.h"
#include "app/MessageBoxes.h"
#include "app/WholeSpinBox.h"
#include "config/Settings.h"
#include "shared/CodePage.h"

#include <QAction>
#include <QDir>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

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
        QDir::setCurrent(folder);
        form.openFile(path(QStringLiteral("velkdata.csv")));
        for (QPushButton* button : {form.tenMinuteWriteButton, form.hourWriteButton,
                                    form.writeTextReportButton, form.rmobBandWriteButton}) {
            button->click();
        }
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
        QCOMPARE(form->language(), Language::Japanese);
        const QList<QByteArray> japanese = outputsOfARun(*form, path(QStringLiteral("out-ja")));

        form->englishAction->trigger();
        const struct {
            QString shown, english;
        } captions[] = {
            {form->recomputeButton->text(), QStringLiteral("Recompute")},
            {form->fileMenu->title(), QStringLiteral("&File")},
            {form->openAction->text(), QStringLiteral("&Open velkdata.csv file...")},
            {form->windowTitle(), QStringLiteral("VelkReport Version 0.12")},
            {form->rmobMonthlyButton->toolTip(),
             QStringLiteral("Writes one file per UT month for the RMOB bulletin, with the "
                            "station information")},
        };
        for (const auto& caption : captions) {
            QCOMPARE(caption.shown, caption.english);
        }
        const QList<QByteArray> english = outputsOfARun(*form, path(QStringLiteral("out-en")));
        // The recompute hands its captions through the core: still English after a run.
        QCOMPARE(form->recomputeButton->text(), QStringLiteral("Recompute"));
        for (int i = 0; i < english.size(); ++i) {
            QVERIFY2(!japanese[i].isEmpty(), kOutputs[i]);
            QVERIFY2(japanese[i] == english[i], kOutputs[i]);
        }

        // Kept for the next start; and back again.
        form.reset();
        form = makeForm(QStringLiteral("language"));
        QCOMPARE(form->language(), Language::English);
        QVERIFY(form->englishAction->isChecked());
        QCOMPARE(form->exitButton->text(), QStringLiteral("Exit"));
        // The core's own Japanese texts follow the language where the window shows them.
        const std::string implausible = utf8ToCp932(
            "データが不正です。\r観測時間が「０」なのにエコー数が記録されています。 \r[ a,1 ]");
        QVERIFY(coreTextForDisplay(implausible).startsWith(QStringLiteral("Implausible data.\n")));
        QVERIFY(coreTextForDisplay(implausible).endsWith(QStringLiteral("\n[ a,1 ]")));
        QVERIFY(coreTextForDisplay(settingsDisplayText(form->workspace().settings))
                    .startsWith(QStringLiteral("Settings\nSettings file")));
        form->japaneseAction->trigger();
        QCOMPARE(form->exitButton->text(), QStringLiteral("終了"));
        QCOMPARE(coreTextForDisplay(implausible),
                 QStringLiteral("データが不正です。\n観測時間が「０」なのにエコー数が記録されていま"
                                "す。 \n[ a,1 ]"));
        QCOMPARE(form->windowTitle(), QStringLiteral("VelkReport Vertion 0.12"));
    }

    void aDroppedFileOpens() {
        auto form = makeForm(QStringLiteral("drop"));
        QDir::setCurrent(path(QStringLiteral("drop")));
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path(QStringLiteral("velkdata.csv")))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(form.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form.get(), &drop);
        QCOMPARE(form->dataFileField->text(), path(QStringLiteral("velkdata.csv")));
        QCOMPARE(form->lineCountField->text(), QStringLiteral("5"));

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
        QDir::setCurrent(path(QStringLiteral("recent")));
        QStringList names;
        for (int i = 0; i < 7; ++i) {
            names << path(QStringLiteral("day%1.csv").arg(i));
            writeBytes(names.back(), kData);
            form->openFile(names.back());
        }
        form->openFile(names[3]); // again: moves to the front, not listed twice
        const QStringList expected = {names[3], names[6], names[5], names[4], names[2]};
        QCOMPARE(form->recentFiles(), expected);
        QCOMPARE(form->recentMenu->actions().size(), 5);

        form->recentMenu->actions().at(2)->trigger();
        QCOMPARE(form->dataFileField->text(), names[5]);

        // With the option, the newest opens at the next start.
        form->reopenLastAction->setChecked(true);
        form.reset();
        form = makeForm(QStringLiteral("recent"));
        QCOMPARE(form->dataFileField->text(), names[5]);
        QCOMPARE(form->lineCountField->text(), QStringLiteral("5"));
    }

    void settingsMoveToTheConfigurationFolderWhenTheProgramsFolderTakesNoFiles() {
        const QString config = path(QStringLiteral("config"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
        // /proc takes no new files, not even from root.
        MainWindow installed(nullptr, "/proc/velkreport");
        const QString expected = config + QStringLiteral("/velkreport/velkreport.ini");
        QCOMPARE(QString::fromStdString(installed.workspace().settings.filePath), expected);
        installed.utOffsetSpin->setValue(5);
        installed.saveSettingsAction->trigger();
        QCOMPARE(readBytes(expected).size(), 40);
        QCOMPARE(QFileInfo(installed.preferencesFile()).absolutePath(),
                 config + QStringLiteral("/velkreport"));
        // Restoring the defaults keeps the place.
        installed.defaultsAction->trigger();
        QCOMPARE(QString::fromStdString(installed.workspace().settings.filePath), expected);

        MainWindow again(nullptr, "/proc/velkreport");
        QCOMPARE(again.workspace().settings.utOffsetHours, 5);

        // A writable program folder keeps them beside the program.
        auto beside = makeForm(QStringLiteral("portable"));
        QCOMPARE(QString::fromStdString(beside->workspace().settings.filePath),
                 path(QStringLiteral("portable/velkreport.ini")));
        qunsetenv("XDG_CONFIG_HOME");
    }
};

QTEST_MAIN(TestDesktopHabits)
#include "DesktopHabitsTest.moc"
