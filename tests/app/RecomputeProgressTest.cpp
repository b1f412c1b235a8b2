// The main window's progress of a recompute in the status bar, and its cancel
// button: a stopped run leaves every page and file as the run before.

#include "AppTestSupport.h"
#include "PageTestSupport.h"
#include "app/MainWindow.h"
#include "app/MessageBoxes.h"
#include "config/Settings.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

class TestRecomputeProgress : public QObject {
    Q_OBJECT

private:
    QTemporaryDir workDir_;
    QString previousDir_;
    std::function<void()> onMessage_;

private slots:
    void initTestCase() {
        QVERIFY(workDir_.isValid());
        previousDir_ = QDir::currentPath();
        QVERIFY(QDir::setCurrent(workDir_.path()));
        setMessageBoxHook([this](QMessageBox::Icon, const QString&) {
            if (onMessage_) {
                onMessage_();
            }
        });
    }
    void cleanupTestCase() {
        setMessageBoxHook({});
        QFile::remove(QString::fromStdString(defaultSettingsFileName()));
        QDir::setCurrent(previousDir_);
    }

    void progressEndsAndACancelledRunKeepsThePreviousData();
};

void TestRecomputeProgress::progressEndsAndACancelledRunKeepsThePreviousData() {
    const QString data = QDir(workDir_.path()).filePath(QStringLiteral("velkdata.csv"));
    writeBytes(data,
               "a.dat,2005/01/01 00:00:00,12,1,0,10,\r\na.dat,2005/01/01 00:30:00,7,0,0,10,\r\n");
    MainWindow form;
    form.openDialog = [data](QWidget*) { return std::optional<QString>(data); };
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    QTest::mouseClick(form.openButton, Qt::LeftButton);
    QCOMPARE(form.rowCountField->text(), QStringLiteral("4"));
    QCOMPARE(form.progressBar->value(), 1000);
    QVERIFY(!form.progressBar->isVisible() && !form.cancelButton->isVisible());
    const QStringList rawBefore = viewText(form.rawDataView);
    const QStringList tableBefore = viewText(form.tenMinuteView);
    const QByteArray noObsBefore = readBytes(QStringLiteral("NoObsList.txt"));

    // The message of an implausible line comes while the file is read; the
    // user answers it and then clicks 中止, which the busy window lets through.
    writeBytes(QStringLiteral("other.csv"), "b.dat,2006/01/01 00:00:00,3,0,0,0,\r\n"
                                            "b.dat,2006/01/01 00:10:00,3,0,0,10,\r\n");
    const QString other = QDir(workDir_.path()).filePath(QStringLiteral("other.csv"));
    form.openDialog = [other](QWidget*) { return std::optional<QString>(other); };
    bool clicked = false;
    onMessage_ = [&] {
        QVERIFY(form.cancelButton->isVisible());
        QTest::mouseClick(form.cancelButton, Qt::LeftButton);
        clicked = true;
    };
    QTest::mouseClick(form.openButton, Qt::LeftButton);
    onMessage_ = nullptr;
    QVERIFY(clicked);
    QCOMPARE(viewText(form.rawDataView), rawBefore);
    QCOMPARE(viewText(form.tenMinuteView), tableBefore);
    QCOMPARE(form.rowCountField->text(), QStringLiteral("4"));
    QCOMPARE(form.dataFileField->text(), data);
    QCOMPARE(readBytes(QStringLiteral("NoObsList.txt")), noObsBefore);
    QVERIFY(form.statusBar()->currentMessage().contains(QStringLiteral("中止")));
    QVERIFY(!form.cancelButton->isVisible());
    QCOMPARE(form.recomputeButton->text(), QStringLiteral("再計算"));

    // The next run is not stopped by the last one's click.
    QTest::mouseClick(form.recomputeButton, Qt::LeftButton);
    QCOMPARE(form.rowCountField->text(), QStringLiteral("4"));
}

QTEST_MAIN(TestRecomputeProgress)
#include "RecomputeProgressTest.moc"
