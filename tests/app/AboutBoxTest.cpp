// The about box: its texts, the picture that switches between stretched and
// natural size, and the OK button that ends the modal showing.

#include "app/AboutBox.h"

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
    AboutBox box;
    QVERIFY(!box.isVisible());
    QCOMPARE(box.windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    QCOMPARE(box.productNameLabel->text(), QStringLiteral("VelkReport"));
    QCOMPARE(box.versionLabel->text(), QStringLiteral("Version 0.12"));
    QCOMPARE(box.okButton->text(), QStringLiteral("OK"));
    QCOMPARE(box.commentsLabel->text(), QString::fromLatin1(qVersion())); // no invented address
    QCOMPARE(box.size(), QSize(242, 188));
    QCOMPARE(box.pictureLabel->size(), QSize(73, 73));
    QCOMPARE(box.programIconLabel->size(), QSize(57, 57));
    QVERIFY(box.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

void TestAboutBox::clickingTheIconSwitchesItsSize() {
    AboutBox box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QVERIFY(box.programIconLabel->isStretched());
    const QImage stretched = box.programIconLabel->grab().toImage();
    QTest::mouseClick(box.programIconLabel, Qt::LeftButton);
    QVERIFY(!box.programIconLabel->isStretched());
    QVERIFY(box.programIconLabel->grab().toImage() != stretched);
    QTest::mouseClick(box.programIconLabel, Qt::LeftButton);
    QVERIFY(box.programIconLabel->isStretched());
}

void TestAboutBox::okHidesTheBoxAndAcceptsIt() {
    AboutBox box;
    QTimer::singleShot(0, &box, [&box] {
        QVERIFY(box.isVisible());
        QTest::mouseClick(box.okButton, Qt::LeftButton);
    });
    QCOMPARE(box.exec(), int(QDialog::Accepted));
    QVERIFY(!box.isVisible());
}

QTEST_MAIN(TestAboutBox)
#include "AboutBoxTest.moc"
