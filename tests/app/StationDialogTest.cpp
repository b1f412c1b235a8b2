// The station dialog and the monthly RMOB files of the RMOB page: the dialog
// opened from the settings menu, its round trip through the station file, its
// failure to write, and the export with its warning, its images and its count.

#include "app/StationDialog.h"
#include "AppTestSupport.h"
#include "PageTestSupport.h"
#include "app/MainWindow.h"
#include "app/MessageBoxes.h"
#include "config/Settings.h"
#include "config/StationInfo.h"
#include "shared/FileNames.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

// Two local days around a UT month boundary: data in December and January UT.
QByteArray dataFileBytes() {
    QByteArray bytes = "#FileName,Time,Echo,LongEcho,OtherData,ObsTime,Remark\r\n";
    for (const char* day : {"2023/12/31", "2024/01/01"}) {
        for (int hour = 0; hour < 24; ++hour) {
            for (int minute = 0; minute < 60; minute += 10) {
                bytes += QStringLiteral("a.dat,%1 %2:%3:00,3,0,0,10,\r\n")
                             .arg(QString::fromLatin1(day))
                             .arg(hour, 2, 10, QLatin1Char('0'))
                             .arg(minute, 2, 10, QLatin1Char('0'))
                             .toLatin1();
            }
        }
    }
    return bytes;
}

StationInfo completeStation() {
    StationInfo s;
    s.observer = "My Station";
    s.country = "Japan";
    s.city = "Tôkyô"; // beyond ASCII, within Latin-1
    s.longitude = "139.7583";
    s.latitude = "35.6889";
    s.longitudeGmap = "139.7583";
    s.latitudeGmap = "35.6889";
    s.frequencies = "53.750 MHz";
    s.antenna = "3 el. Yagi";
    s.antennaAzimuth = "0";
    s.antennaElevation = "45";
    s.preAmplifier = "none";
    s.receiver = "IC-7300";
    s.observingMethod = "10 minutes";
    s.email = "me@example.org";
    return s;
}

// Runs the action, which opens a modal dialog, and hands the dialog to work
// once it shows; work must close it.
void withModalDialog(const std::function<void()>& action,
                     const std::function<void(StationDialog&)>& work) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<StationDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        seen = true;
        work(*dialog);
        if (dialog->isVisible()) {
            dialog->reject(); // a failed check must not leave the test waiting
        }
    });
    action();
    QVERIFY(seen);
}

void clickButton(QDialog& dialog, QDialogButtonBox::StandardButton which) {
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    QVERIFY(buttons);
    QTest::mouseClick(buttons->button(which), Qt::LeftButton);
}

} // namespace

class TestStationDialog : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<MainWindow> makeForm();

    QTemporaryDir workDir_;
    QString previousDir_;
    QString settingsFile_;
    QString stationFile_;
    QStringList messages_;
    QStringList errors_;

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void menuItemComesAfterTheSettingsItems();
    void dialogRoundTripThroughItsFile();
    void dialogNamesTheFieldsStillMissing();
    void dialogThatCannotWriteStaysOpenWithTheEdits();
    void monthlyExportWarnsWhenIncompleteAndWritesAnyway();
    void monthlyExportWritesImagesBesideTheFiles();
    void monthlyExportWithoutDataSaysSo();
    void hemisphereLettersReachTheShowerPageAtOnce();
    void warningsInTheWindowsLanguage();
};

std::unique_ptr<MainWindow> TestStationDialog::makeForm() {
    // Each case starts as a first start: no options kept from the one before.
    QFile::remove(
        QString::fromStdString(replaceExtension(defaultSettingsFileName(), ".window.ini")));
    auto form = std::make_unique<MainWindow>();
    const QString data = QDir(workDir_.path()).filePath(QStringLiteral("velkdata.csv"));
    form->openDialog = [data](QWidget*) { return std::optional<QString>(data); };
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get())) {
        qWarning("window was not exposed");
    }
    return form;
}

void TestStationDialog::initTestCase() {
    QVERIFY(workDir_.isValid());
    previousDir_ = QDir::currentPath();
    settingsFile_ = QString::fromStdString(defaultSettingsFileName());
    stationFile_ = QString::fromStdString(defaultStationFileName(defaultSettingsFileName()));
    QVERIFY(stationFile_.endsWith(QStringLiteral(".station")));
    setMessageBoxHook([this](QMessageBox::Icon icon, const QString& text) {
        (icon == QMessageBox::Critical ? errors_ : messages_).append(text);
    });
}

void TestStationDialog::init() {
    QFile::remove(settingsFile_);
    QFile::remove(stationFile_);
    QDir(workDir_.path()).removeRecursively();
    QVERIFY(QDir().mkpath(workDir_.path()));
    QVERIFY(QDir::setCurrent(workDir_.path()));
    writeBytes(QStringLiteral("velkdata.csv"), dataFileBytes());
    messages_.clear();
    errors_.clear();
}

void TestStationDialog::cleanup() {
    QFile::remove(stationFile_);
    QDir().rmdir(stationFile_);
}

void TestStationDialog::cleanupTestCase() {
    setMessageBoxHook({});
    QFile::remove(settingsFile_);
    QDir::setCurrent(previousDir_);
}

void TestStationDialog::menuItemComesAfterTheSettingsItems() {
    auto form = makeForm();
    const WindowUi ui(*form);
    const QList<QAction*> items = ui.settingsMenu->actions();
    QCOMPARE(items.size(), 4);
    QCOMPARE(items[0], ui.defaultsAction);
    QCOMPARE(items[1], ui.saveSettingsAction);
    QVERIFY(items[2]->isSeparator());
    QCOMPARE(items[3], ui.stationAction);
    QCOMPARE(ui.stationAction->text(), QStringLiteral("観測局情報(&I)..."));
}

void TestStationDialog::dialogRoundTripThroughItsFile() {
    auto form = makeForm();
    const WindowUi ui(*form);
    const StationInfo station = completeStation();
    withModalDialog([&] { ui.stationAction->trigger(); },
                    [&](StationDialog& dialog) {
                        QCOMPARE(dialog.windowTitle(), QStringLiteral("観測局情報"));
                        for (QLineEdit* field : dialog.fields) {
                            QVERIFY(field->text().isEmpty());
                        }
                        QVERIFY(dialog.warning->text().contains(QStringLiteral("Observer")));
                        const auto& list = stationFields();
                        for (size_t i = 0; i < list.size(); ++i) {
                            const QString text = QString::fromStdString(station.*(list[i].member));
                            dialog.fields[i]->setFocus();
                            // Key clicks know only ASCII; the rest comes as an input method would.
                            if (text.toLatin1().toStdString() == station.*(list[i].member)) {
                                QTest::keyClicks(dialog.fields[i], text);
                            } else {
                                dialog.fields[i]->insert(text);
                            }
                        }
                        QVERIFY(dialog.warning->text().isEmpty());
                        clickButton(dialog, QDialogButtonBox::Ok);
                        QVERIFY(!dialog.isVisible());
                    });
    QVERIFY(errors_.isEmpty());
    const QByteArray saved = readBytes(stationFile_);
    QVERIFY(saved.startsWith("Observer=My Station\r\nCountry=Japan\r\nCity=Tôkyô\r\n"));
    QCOMPARE(loadStationInfo(stationFile_.toStdString()), station);

    // Shown again from the file; Cancel keeps the file as it was.
    withModalDialog([&] { ui.stationAction->trigger(); },
                    [&](StationDialog& dialog) {
                        QCOMPARE(dialog.info(), station);
                        QCOMPARE(dialog.fields[2]->text(), QStringLiteral("Tôkyô"));
                        dialog.fields[0]->setText(QStringLiteral("Other"));
                        clickButton(dialog, QDialogButtonBox::Cancel);
                    });
    QCOMPARE(readBytes(stationFile_), saved);
}

void TestStationDialog::dialogNamesTheFieldsStillMissing() {
    StationInfo partial = completeStation();
    partial.city.clear();
    partial.latitude = "north";
    StationDialog dialog(stationFile_.toStdString(), partial);
    const QString text = dialog.warning->text();
    QVERIFY2(text.contains(QStringLiteral("City")) && text.contains(QStringLiteral("Latitude")) &&
                 !text.contains(QStringLiteral("Observer")),
             qPrintable(text));
    dialog.fields[4]->setText(QStringLiteral("35.6889"));
    // Characters the monthly file cannot hold are named as they are typed.
    dialog.fields[2]->setText(QStringLiteral("東京都"));
    QVERIFY2(dialog.warning->text().contains(QStringLiteral("City (東京都)")) &&
                 dialog.warning->text().contains(QStringLiteral("ローマ字")),
             qPrintable(dialog.warning->text()));
    dialog.fields[2]->setText(QStringLiteral("Tokyo"));
    QVERIFY(dialog.warning->text().isEmpty());
    dialog.fields[15]->clear(); // E
    QVERIFY(dialog.warning->text().contains(QStringLiteral("E")));
}

void TestStationDialog::dialogThatCannotWriteStaysOpenWithTheEdits() {
    QVERIFY(QDir().mkdir(stationFile_)); // a folder in the way
    StationDialog dialog(stationFile_.toStdString(), completeStation());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.fields[0]->setText(QStringLiteral("Edited"));
    clickButton(dialog, QDialogButtonBox::Ok);
    QCOMPARE(errors_.size(), 1);
    QVERIFY2(errors_.front().contains(stationFile_), qPrintable(errors_.front()));
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.fields[0]->text(), QStringLiteral("Edited"));
}

void TestStationDialog::monthlyExportWarnsWhenIncompleteAndWritesAnyway() {
    auto form = makeForm();
    const WindowUi ui(*form);
    clickAndWait(*form, ui.openDefaultButton);
    QVERIFY(messages_.isEmpty() && errors_.isEmpty());
    QVERIFY(!ui.rmobMonthlyPictures->isChecked());

    QTest::mouseClick(ui.rmobMonthlyButton, Qt::LeftButton);
    QVERIFY(errors_.isEmpty());
    QCOMPARE(messages_.size(), 2);
    QVERIFY2(messages_[0].startsWith(QStringLiteral("観測局情報に未入力の項目があります: Observer, "
                                                    "Country, City")),
             qPrintable(messages_[0]));
    QVERIFY(messages_[0].contains(u'\n')); // its CR made a line break
    QCOMPARE(messages_[1], QStringLiteral("RMOB月別ファイルを 2 個出力しました。\n"
                                          "unknown_122023rmob.TXT ～ unknown_012024rmob.TXT"));
    const QByteArray december = readBytes(QStringLiteral("unknown_122023rmob.TXT"));
    QVERIFY(december.startsWith("dec| 00h| 01h|"));
    QVERIFY(december.contains("\r\n[Observer]\r\n"));
    QVERIFY(QFile::exists(QStringLiteral("unknown_012024rmob.TXT")));
    QVERIFY(!QFile::exists(QStringLiteral("colorgramme_202312.png")));

    // Complete: no warning, and the earlier files of the same names are kept.
    saveStationInfo(stationFile_.toStdString(), completeStation());
    messages_.clear();
    QTest::mouseClick(ui.rmobMonthlyButton, Qt::LeftButton);
    QCOMPARE(messages_.size(), 1);
    QVERIFY(messages_[0].startsWith(QStringLiteral("RMOB月別ファイルを 2 個出力しました。")));
    QVERIFY(readBytes(QStringLiteral("My_Station_012024rmob.TXT"))
                .contains("\r\n[Observer]My Station\r\n[Country]Japan\r\n"));
    QTest::mouseClick(ui.rmobMonthlyButton, Qt::LeftButton);
    QVERIFY(QFile::exists(QStringLiteral("My_Station_012024rmob.bak")));
}

void TestStationDialog::monthlyExportWritesImagesBesideTheFiles() {
    saveStationInfo(stationFile_.toStdString(), completeStation());
    auto form = makeForm();
    const WindowUi ui(*form);
    clickAndWait(*form, ui.openDefaultButton);
    QTest::mouseClick(ui.rmobMonthlyPictures, Qt::LeftButton, {},
                      QPoint(8, ui.rmobMonthlyPictures->height() / 2));
    QVERIFY(ui.rmobMonthlyPictures->isChecked());
    QTest::mouseClick(ui.rmobMonthlyButton, Qt::LeftButton);
    QVERIFY(errors_.isEmpty());
    QCOMPARE(messages_.size(), 1);
    QVERIFY2(messages_[0].endsWith(QStringLiteral("\n画像を 2 個出力しました。")),
             qPrintable(messages_[0]));
    for (const char* name : {"colorgramme_202312.png", "colorgramme_202401.png"}) {
        QVERIFY2(!QImage(QString::fromLatin1(name)).isNull(), name);
    }
    QVERIFY(QFile::exists(QStringLiteral("My_Station_122023rmob.TXT")));
}

void TestStationDialog::monthlyExportWithoutDataSaysSo() {
    saveStationInfo(stationFile_.toStdString(), completeStation());
    auto form = makeForm();
    const WindowUi ui(*form);
    QTest::mouseClick(ui.rmobMonthlyButton, Qt::LeftButton);
    QVERIFY(errors_.isEmpty());
    QCOMPARE(messages_, QStringList{QStringLiteral(
                            "出力する月がありません。先にデータファイルを読み込んでください。")});
    QVERIFY(QDir().entryList({QStringLiteral("*rmob.TXT")}, QDir::Files).isEmpty());
}

void TestStationDialog::hemisphereLettersReachTheShowerPageAtOnce() {
    auto form = makeForm();
    const WindowUi ui(*form);
    clickAndWait(*form, ui.openDefaultButton);
    ShowerPage* page = ui.showerPage;
    showPage(ui, page);
    QTRY_VERIFY_WITH_TIMEOUT(!page->isDrawingPending(), 60000);
    QVERIFY(page->activity() && !page->activity()->hasCoordinates);

    withModalDialog(
        [&] { ui.stationAction->trigger(); },
        [&](StationDialog& dialog) {
            const StationInfo station = completeStation();
            const auto& list = stationFields();
            for (size_t i = 0; i < list.size(); ++i) {
                dialog.fields[i]->setText(QString::fromStdString(station.*(list[i].member)));
            }
            dialog.fields[3]->setText(QStringLiteral("139.7 E"));
            dialog.fields[4]->setText(QStringLiteral("35.6 N"));
            QVERIFY2(dialog.warning->text().isEmpty(), qPrintable(dialog.warning->text()));
            clickButton(dialog, QDialogButtonBox::Ok);
        });
    // Worked out again with the new place, no 再計算 needed.
    QVERIFY(page->isDrawingPending());
    QTRY_VERIFY_WITH_TIMEOUT(!page->isDrawingPending(), 60000);
    QVERIFY(page->activity()->hasCoordinates);
    QVERIFY(page->activity()->hours.front().radiantElevation);

    QTest::mouseClick(ui.rmobMonthlyButton, Qt::LeftButton);
    const QByteArray january = readBytes(QStringLiteral("My_Station_012024rmob.TXT"));
    QVERIFY(january.contains("\r\n[Longitude]139\xB0"
                             "4200 E\r\n[Latitude ]035\xB0"
                             "3600 N\r\n"));
}

void TestStationDialog::warningsInTheWindowsLanguage() {
    auto form = makeForm();
    const WindowUi ui(*form);
    ui.englishAction->trigger();
    QCOMPARE(ui.pages->tabText(ui.pages->indexOf(ui.showerPage)), QStringLiteral("Showers"));
    withModalDialog([&] { ui.stationAction->trigger(); },
                    [&](StationDialog& dialog) {
                        dialog.fields[3]->setText(QStringLiteral("east"));
                        const QString text = dialog.warning->text();
                        QVERIFY2(text.startsWith(QStringLiteral(
                                     "Station fields not filled in: Observer, Country")) &&
                                     text.contains(QStringLiteral(
                                         "Station longitude or latitude cannot be read")),
                                 qPrintable(text));
                        clickButton(dialog, QDialogButtonBox::Cancel);
                    });
    clickAndWait(*form, ui.openDefaultButton);
    QTest::mouseClick(ui.rmobMonthlyButton, Qt::LeftButton);
    QVERIFY(!messages_.isEmpty());
    QVERIFY2(messages_[0].startsWith(QStringLiteral("Station fields not filled in: Observer")),
             qPrintable(messages_[0]));
    ui.japaneseAction->trigger();
}

QTEST_MAIN(TestStationDialog)
#include "StationDialogTest.moc"
