// The main window's runs on their worker thread: the progress and the stop
// button while a run goes, a stopped run, a run replaced by another file, a
// window closed during a run, and a run that cannot read its file. A run that
// does not complete leaves every page, the file name and the files as they
// were. A named pipe as the data file holds a run open for exactly as long as
// a test needs it.

#include "AppTestSupport.h"
#include "PageTestSupport.h"
#include "app/MainWindow.h"
#include "app/MessageBoxes.h"
#include "config/Settings.h"

#include <QDir>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

const QByteArray kFirst =
    "a.dat,2005/01/01 00:00:00,12,1,0,10,\r\na.dat,2005/01/01 00:30:00,7,0,0,10,\r\n";
const QByteArray kPiped = "b.dat,2006/01/01 00:00:00,3,0,0,10,\r\n"
                          "b.dat,2006/01/01 00:10:00,3,0,0,10,\r\n";

// The writing end of a named pipe, fed on a thread of its own: the lines,
// then, a while later, the end. A run reads to the end only once the pipe is
// closed. A run stopped before it opened the pipe never opens it: the feeder
// then gives up when it goes.
class PipeFeeder {
public:
    explicit PipeFeeder(std::string path, std::chrono::milliseconds closeAfter = {})
        : thread_([this, path = std::move(path), closeAfter] { feed(path, closeAfter); }) {}
    ~PipeFeeder() {
        stop_ = true;
        thread_.join();
    }
    // The run has opened the pipe and is reading it.
    bool opened() const { return opened_; }

private:
    void feed(const std::string& path, std::chrono::milliseconds closeAfter) {
        int fd = -1;
        while ((fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK)) < 0) {
            if (stop_ || errno != ENXIO) {
                return; // no reader came
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        opened_ = true;
        const bool written =
            ::write(fd, kPiped.constData(), static_cast<size_t>(kPiped.size())) == kPiped.size();
        if (written) {
            std::this_thread::sleep_for(closeAfter);
        }
        ::close(fd);
    }

    std::atomic<bool> stop_{false};
    std::atomic<bool> opened_{false};
    std::thread thread_;
};

} // namespace

class TestRunWorker : public QObject {
    Q_OBJECT

private:
    QTemporaryDir workDir_;
    QString previousDir_;
    QStringList messages_;
    QStringList errors_;
    QString first_;
    QString pipe_;

    QString path(const char* name) const { return QDir(workDir_.path()).filePath(name); }
    // A window that has read the first file.
    std::unique_ptr<MainWindow> formWithFirstFile() {
        auto form = std::make_unique<MainWindow>();
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get())) {
            qWarning("window was not exposed");
        }
        form->openFile(first_);
        waitForRun(*form);
        return form;
    }

private slots:
    void initTestCase() {
        QVERIFY(workDir_.isValid());
        previousDir_ = QDir::currentPath();
        QVERIFY(QDir::setCurrent(workDir_.path()));
        setMessageBoxHook([this](QMessageBox::Icon icon, const QString& text) {
            (icon == QMessageBox::Critical ? errors_ : messages_).append(text);
        });
        first_ = path("velkdata.csv");
        writeBytes(first_, kFirst);
        pipe_ = path("pipe.csv");
        QCOMPARE(::mkfifo(QFile::encodeName(pipe_).constData(), 0600), 0);
    }
    void init() {
        messages_.clear();
        errors_.clear();
    }
    void cleanupTestCase() {
        setMessageBoxHook({});
        QFile::remove(QString::fromStdString(defaultSettingsFileName()));
        QDir::setCurrent(previousDir_);
    }

    void aStoppedRunLeavesThePagesAndFiles();
    void anotherFileDuringARunReplacesIt();
    void closingDuringARunStopsItAndWaits();
    void aFileThatCannotBeReadLeavesThePages();
};

void TestRunWorker::aStoppedRunLeavesThePagesAndFiles() {
    auto form = formWithFirstFile();
    const WindowUi ui(*form);
    QCOMPARE(ui.rowCountField->text(), QStringLiteral("4"));
    QVERIFY(!ui.progressBar->isVisible() && !ui.cancelButton->isVisible());
    const QStringList rawBefore = viewText(ui.rawDataView);
    const QStringList tableBefore = viewText(ui.tenMinuteView);
    const QByteArray noObsBefore = readBytes(QStringLiteral("NoObsList.txt"));

    form->openFile(pipe_);
    // The window goes on while the run waits for its data.
    QVERIFY(form->isRunning());
    QVERIFY(ui.cancelButton->isVisible() && ui.progressBar->isVisible());
    QCOMPARE(ui.recomputeButton->text(), QStringLiteral("計算中"));
    showPage(ui, ui.rawDataTab);
    QCOMPARE(viewText(ui.rawDataView), rawBefore);
    {
        // Stopped before the pipe closes, so before the run could end.
        const PipeFeeder feeder(pipe_.toStdString(), std::chrono::milliseconds(200));
        QTest::mouseClick(ui.cancelButton, Qt::LeftButton);
    }
    waitForRun(*form);
    QCOMPARE(viewText(ui.rawDataView), rawBefore);
    QCOMPARE(viewText(ui.tenMinuteView), tableBefore);
    QCOMPARE(ui.rowCountField->text(), QStringLiteral("4"));
    QCOMPARE(ui.dataFileField->text(), first_);
    QCOMPARE(readBytes(QStringLiteral("NoObsList.txt")), noObsBefore);
    QVERIFY(form->statusBar()->currentMessage().contains(QStringLiteral("中止")));
    QVERIFY(!ui.cancelButton->isVisible());
    QCOMPARE(ui.recomputeButton->text(), QStringLiteral("再計算"));
    QVERIFY(messages_.isEmpty() && errors_.isEmpty());

    // The next run is not stopped by the last one's click: it reads the first file.
    clickAndWait(*form, ui.recomputeButton);
    QCOMPARE(ui.rowCountField->text(), QStringLiteral("4"));
    QVERIFY(!form->statusBar()->currentMessage().contains(QStringLiteral("中止")));
}

void TestRunWorker::anotherFileDuringARunReplacesIt() {
    auto form = formWithFirstFile();
    const WindowUi ui(*form);
    const QSignalSpy ends(form.get(), &MainWindow::runEnded);
    form->openFile(pipe_);
    const QString second = path("second.csv");
    writeBytes(second, "c.dat,2007/03/01 00:00:00,5,0,0,10,\r\n");
    {
        const PipeFeeder feeder(pipe_.toStdString(), std::chrono::milliseconds(50));
        form->openFile(second);
        QCOMPARE(ui.dataFileField->text(), second);
    }
    waitForRun(*form);
    QCOMPARE(ends.count(), 1); // the replaced run's end is not heard of
    QCOMPARE(ui.dataFileField->text(), second);
    QCOMPARE(ui.lineCountField->text(), QStringLiteral("1"));
    QCOMPARE(ui.firstSlotField->text(), QStringLiteral("2007/03/01 00:00"));
    QVERIFY(!form->statusBar()->currentMessage().contains(QStringLiteral("中止")));
    QVERIFY(errors_.isEmpty());
}

void TestRunWorker::closingDuringARunStopsItAndWaits() {
    auto form = formWithFirstFile();
    const PipeFeeder feeder(pipe_.toStdString(), std::chrono::milliseconds(300));
    form->openFile(pipe_);
    QTRY_VERIFY(feeder.opened());
    QVERIFY(form->isRunning());
    // The run reads on until the pipe closes, and the window waits for it.
    QVERIFY(form->close());
    QVERIFY(!form->isVisible());
    QVERIFY(!form->isRunning());
    form.reset();
    QVERIFY(errors_.isEmpty());
}

void TestRunWorker::aFileThatCannotBeReadLeavesThePages() {
    auto form = formWithFirstFile();
    const WindowUi ui(*form);
    const QStringList rawBefore = viewText(ui.rawDataView);
    // A file whose first read fails, even for a superuser: this process's
    // memory at address 0.
    const QString unreadable = QStringLiteral("/proc/self/mem");
    form->openFile(unreadable);
    waitForRun(*form);
    QCOMPARE(errors_.size(), 1);
    QVERIFY2(errors_.front().contains(unreadable), qPrintable(errors_.front()));
    QCOMPARE(viewText(ui.rawDataView), rawBefore);
    QCOMPARE(ui.rowCountField->text(), QStringLiteral("4"));
    QCOMPARE(ui.dataFileField->text(), first_);
    QCOMPARE(ui.recomputeButton->text(), QStringLiteral("再計算"));
}

QTEST_MAIN(TestRunWorker)
#include "RunWorkerTest.moc"
