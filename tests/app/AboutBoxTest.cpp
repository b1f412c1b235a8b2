// The about box: its texts, the picture that switches between stretched and
// natural size, and the OK button that ends the modal showing.

#include "app/UAboutBox.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class TestAboutBox : public QObject {
    Q_OBJECT

private slots:
    void creationFillsNameAndVersion();
    void clickingTheIconSwitchesItsSize();
    void okHidesTheBoxAndAcceptsIt();
};

void TestAboutBox::creationFillsNameAndVersion() {
    TAboutBox box;
    QVERIFY(!box.isVisible());
    QCOMPARE(box.windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    QCOMPARE(box.ProductName->text(), QStringLiteral("VelkReport"));
    QCOMPARE(box.Version->text(), QStringLiteral("Version 0.12"));
    QCOMPARE(box.BitBtn1->text(), QStringLiteral("OK"));
    QCOMPARE(box.size(), QSize(242, 188));
    QCOMPARE(box.Image1->size(), QSize(73, 73));
    QCOMPARE(box.ProgramIcon->size(), QSize(57, 57));
    QVERIFY(box.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

void TestAboutBox::clickingTheIconSwitchesItsSize() {
    TAboutBox box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QVERIFY(box.ProgramIcon->isStretched());
    const QImage stretched = box.ProgramIcon->grab().toImage();
    QTest::mouseClick(box.ProgramIcon, Qt::LeftButton);
    QVERIFY(!box.ProgramIcon->isStretched());
    QVERIFY(box.ProgramIcon->grab().toImage() != stretched);
    QTest::mouseClick(box.ProgramIcon, Qt::LeftButton);
    QVERIFY(box.ProgramIcon->isStretched());
}

void TestAboutBox::okHidesTheBoxAndAcceptsIt() {
    TAboutBox box;
    QTimer::singleShot(0, &box, [&box] {
        QVERIFY(box.isVisible());
        QTest::mouseClick(box.BitBtn1, Qt::LeftButton);
    });
    QCOMPARE(box.exec(), int(QDialog::Accepted));
    QVERIFY(!box.isVisible());
}

QTEST_MAIN(TestAboutBox)
#include "AboutBoxTest.moc"
