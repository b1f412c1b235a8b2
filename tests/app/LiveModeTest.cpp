// Live mode of the main window: while lines are appended to a copy of the
// sample data, one cut in the middle and one between its CR and its LF, the
// watching window ends up showing on every page, in its hours and in the
// outputs it keeps current exactly what a window that opens the final file
// afresh shows and writes; no .bak file is made at an append; and live mode
// is still on at the next start.

#include "AppTestSupport.h"
#include "PageTestSupport.h"
#include "app/MainWindow.h"
#include "app/MessageBoxes.h"

#include <QComboBox>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QByteArray kAppended = "v20240115_0000.dat,2024/01/15 00:00:00,9,1,0,10,\r\n"
                             "v20240115_0010.dat,2024/01/15 00:10:00,11,0,1,10,\r\n"
                             "v20240201_0000.dat,2024/02/01 00:00:00,4,0,0,10,\r\n";

void append(const QString& name, const QByteArray& bytes) {
    QFile file(name);
    QVERIFY(file.open(QIODevice::Append));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Everything a window shows of its data, each page built.
struct Shown {
    QList<QStringList> pages;
    QStringList summary;
    QByteArray hours;
    QList<QImage> months;

    explicit Shown(MainWindow& form) {
        const WindowUi ui(form);
        showPage(ui, ui.textReportTab);
        showPage(ui, ui.rmobTab);
        showPage(ui, ui.colorgrammePage);
        for (const LargeTextView* view : {ui.rawDataView, ui.textReportView, ui.tenMinuteView,
                                          ui.hourView, ui.noObsView, ui.rmobView}) {
            pages.append(viewText(view));
        }
        for (const QLineEdit* field :
             {ui.firstLineField, ui.firstSlotField, ui.lineCountField, ui.rowCountField,
              ui.lastLineField, ui.lastSlotField, ui.rejectedCountField, ui.gapCountField}) {
            summary.append(field->text());
        }
        hours = QByteArray::fromStdString(form.hours().table().text(true));
        for (const UtHour& hour : form.hours().hours()) {
            hours += static_cast<char>('0' + static_cast<int>(hour.state));
        }
        QComboBox* chooser = ui.colorgrammePage->monthChooser;
        for (int i = 0; i < chooser->count(); ++i) {
            chooser->setCurrentIndex(i);
            months.append(ui.colorgrammePage->shownImage());
        }
    }
};

} // namespace

class TestLiveMode : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;

    QString path(const QString& name) const { return QDir(dir_.path()).filePath(name); }
    // A window of its own settings and preferences, writing into out-NAME,
    // the text report and the ten-minute table written after every run.
    std::unique_ptr<MainWindow> makeForm(const QString& name) {
        QDir().mkpath(path(name));
        auto form = std::make_unique<MainWindow>(
            nullptr, QFile::encodeName(path(name + QStringLiteral("/velkreport"))).toStdString());
        form->show();
        const WindowUi ui(*form);
        const QString out = path(QStringLiteral("out-") + name);
        QDir().mkpath(out);
        form->folderDialog = [out](QWidget*) { return std::optional<QString>(out); };
        ui.chooseOutputFolderAction->trigger();
        QTest::mouseClick(ui.alwaysWriteTextReportCheck, Qt::LeftButton);
        QTest::mouseClick(ui.alwaysWriteTenMinuteCheck, Qt::LeftButton);
        return form;
    }
    QByteArray output(const QString& form, const char* name) const {
        return readBytes(QDir(path(QStringLiteral("out-") + form)).filePath(QLatin1String(name)));
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        setMessageBoxHook([](QMessageBox::Icon, const QString&) {});
    }
    void cleanupTestCase() { setMessageBoxHook({}); }

    void appendedLinesShowAsAFreshOpenShows();
};

void TestLiveMode::appendedLinesShowAsAFreshOpenShows() {
    const QString data = path(QStringLiteral("velkdata.csv"));
    writeBytes(data, readBytes(QStringLiteral(VELK_EXAMPLES_DIR "/velkdata.csv")));
    auto live = makeForm(QStringLiteral("live"));
    const WindowUi ui(*live);
    named<QAction>(*live, "LiveMode")->trigger();
    live->openFile(data);
    waitForRun(*live);
    QVERIFY(live->isWatching());
    const int lines = ui.lineCountField->text().toInt();
    // Each append is taken in place: the file is never read afresh.
    const QSignalSpy readsAfresh(live.get(), &MainWindow::runEnded);

    // The first line and half the second: the first shows, the half waits.
    const qsizetype half = kAppended.indexOf('\n') + 20;
    append(data, kAppended.left(half));
    QTRY_COMPARE_WITH_TIMEOUT(ui.lineCountField->text().toInt(), lines + 1, 20000);
    // The rest of the second line up to its CR, which may be half a CR LF.
    const qsizetype carriageReturn = kAppended.indexOf('\r', half) + 1;
    append(data, kAppended.mid(half, carriageReturn - half));
    QTest::qWait(300);
    QCOMPARE(ui.lineCountField->text().toInt(), lines + 1);
    append(data, kAppended.mid(carriageReturn));
    QTRY_COMPARE_WITH_TIMEOUT(ui.lineCountField->text().toInt(), lines + 3, 20000);
    QCOMPARE(readsAfresh.count(), 0);

    auto fresh = makeForm(QStringLiteral("fresh"));
    fresh->openFile(data);
    waitForRun(*fresh);
    QVERIFY(!fresh->isWatching());
    const Shown watched(*live);
    const Shown opened(*fresh);
    QCOMPARE(watched.summary, opened.summary);
    for (qsizetype i = 0; i < watched.pages.size(); ++i) {
        QCOMPARE(watched.pages[i], opened.pages[i]);
    }
    QCOMPARE(watched.hours, opened.hours);
    QCOMPARE(watched.months.size(), 2);
    QVERIFY(watched.months == opened.months);
    for (const char* name : {"velkreport.txt", "report10.csv", "NoObsList.txt"}) {
        QCOMPARE(output(QStringLiteral("live"), name), output(QStringLiteral("fresh"), name));
    }
    // Written afresh at each append, but backed up only at the watch's start,
    // when there was nothing to back up.
    QVERIFY(!QFile::exists(path(QStringLiteral("out-live/report10.csv.bak"))));
    QVERIFY(!QFile::exists(path(QStringLiteral("out-live/velkreport.txt.bak"))));

    live.reset();
    const auto again = std::make_unique<MainWindow>(
        nullptr, QFile::encodeName(path(QStringLiteral("live/velkreport"))).toStdString());
    QVERIFY(named<QAction>(*again, "LiveMode")->isChecked());
    QVERIFY(!again->isWatching());
}

QTEST_MAIN(TestLiveMode)
#include "LiveModeTest.moc"
