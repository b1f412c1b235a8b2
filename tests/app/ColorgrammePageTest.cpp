// The colorgramme page: following the recomputes of the main window, choosing
// a day by a click, the hover text, the fixed maximum, the painted colours and
// the image export.

#include "app/ColorgrammePage.h"
#include "AppTestSupport.h"
#include "PageTestSupport.h"
#include "app/BarChartView.h"
#include "app/ColorgrammeView.h"
#include "app/MainWindow.h"
#include "app/MessageBoxes.h"
#include "app/WholeSpinBox.h"
#include "config/Settings.h"
#include "reports/ColorgrammeImage.h"
#include "shared/FileNames.h"
#include "shared/Time.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QToolTip>

#include <memory>

namespace {

// One local day of ten-minute slots; each slot of local hour h holds h + 1
// echoes, so the hour rows count 6 (h + 1). With the default shift of -9 hours
// the day spans two UT months.
QByteArray dayOfData(const char* date, int firstHour = 0) {
    QByteArray bytes = "#FileName,Time,Echo,LongEcho,OtherData,ObsTime,Remark\r\n";
    for (int hour = firstHour; hour < 24; ++hour) {
        for (int minute = 0; minute < 60; minute += 10) {
            bytes += QStringLiteral("a.dat,%1 %2:%3:00,%4,0,0,10,\r\n")
                         .arg(QString::fromLatin1(date))
                         .arg(hour, 2, 10, QLatin1Char('0'))
                         .arg(minute, 2, 10, QLatin1Char('0'))
                         .arg(hour + 1)
                         .toLatin1();
        }
    }
    return bytes;
}

QStringList chooserItems(const ColorgrammePage& page) {
    QStringList items;
    for (int i = 0; i < page.monthChooser->count(); ++i) {
        items.append(page.monthChooser->itemText(i));
    }
    return items;
}

QImage asRgb888(const RgbImage& image) {
    return toQImage(image).convertToFormat(QImage::Format_RGB888);
}

// A local hour of April 2024.
std::optional<Hour> april(int day, int hour) {
    return hourOf(*makeTimestamp(2024, 4, day, hour, 0, 0));
}

ColorgrammeCell cellOf(CellState state, std::int64_t value, std::optional<Hour> localHour,
                       std::int64_t obsTime, std::string remark = {}) {
    ColorgrammeCell c;
    c.state = state;
    c.value = value;
    c.localHour = localHour;
    c.observedMinutes = obsTime;
    c.remark = std::move(remark);
    return c;
}

// April 2024 by hand: every hour observed at 10 except an unobserved hour, a
// noise hour and the month's maximum.
ColorgrammeMonth handMadeMonth() {
    ColorgrammeMonth m;
    m.year = 2024;
    m.month = 4;
    m.daysInMonth = 30;
    for (int day = 1; day <= 30; ++day) {
        for (int hour = 0; hour < 24; ++hour) {
            m.cells[size_t(day - 1)][size_t(hour)] =
                cellOf(CellState::Observed, 10, std::nullopt, 60);
        }
        m.dailyTotals[size_t(day - 1)] = 240;
    }
    m.cells[0][3] = cellOf(CellState::Unobserved, 0, april(1, 12), 0);
    m.cells[1][5] = cellOf(CellState::Observed, 80, april(2, 14), 60, "\x8A\xCF\x91\xAA <b>");
    m.cells[2][7] = cellOf(CellState::Noise, 0, april(3, 16), 15);
    m.dailyTotals[0] = 230;
    m.dailyTotals[1] = 310;
    m.dailyTotals[2] = 230;
    m.maximum = 80;
    return m;
}

QColor pixelAt(const QImage& grabbed, const ColorgrammePage& page, int day, int hour) {
    const QPoint centre = page.view->squareRect(day, hour).center().toPoint();
    return grabbed.pixelColor(page.view->mapTo(&page, centre));
}

} // namespace

class TestColorgrammePage : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<MainWindow> makeForm();

    QTemporaryDir workDir_;
    QString previousDir_;
    QString settingsFile_;
    QStringList messages_;
    QStringList errors_;
    QString dataFile_;

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void pageFollowsEveryRecompute();
    void aRunWhoseOutputFailsShowsItsMonths();
    void clickOnAColumnOrABarChoosesTheDay();
    void hoverTextTellsTheHour();
    void fixedMaximumRedrawsAndAutomaticComesBack();
    void paintedPageShowsTheCellColours();
    void exportWritesTheShownMonthAsTheCoreDrawsIt();
    void exportThatCannotWriteShowsErrorAndPageStaysUsable();
    void changedShiftMarksLaggingTabsUntilEitherRecompute();
    void monthButtonsStepAndStopAtTheEnds();
    void oneMonthRmobFileIsThatMonthOfTheWholeExport();
    void pictureGrowsAndMouseHitsTheSquareAtEverySize();
};

std::unique_ptr<MainWindow> TestColorgrammePage::makeForm() {
    // Each case starts as a first start: no options kept from the one before.
    QFile::remove(
        QString::fromStdString(replaceExtension(defaultSettingsFileName(), ".window.ini")));
    auto form = std::make_unique<MainWindow>();
    form->openDialog = [this](QWidget*) { return std::optional<QString>(dataFile_); };
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get())) {
        qWarning("window was not exposed");
    }
    return form;
}

void TestColorgrammePage::initTestCase() {
    QVERIFY(workDir_.isValid());
    previousDir_ = QDir::currentPath();
    settingsFile_ = QString::fromStdString(defaultSettingsFileName());
    setMessageBoxHook([this](QMessageBox::Icon icon, const QString& text) {
        (icon == QMessageBox::Critical ? errors_ : messages_).append(text);
    });
}

void TestColorgrammePage::init() {
    QFile::remove(settingsFile_);
    QDir(workDir_.path()).removeRecursively();
    QVERIFY(QDir().mkpath(workDir_.path()));
    QVERIFY(QDir::setCurrent(workDir_.path()));
    messages_.clear();
    errors_.clear();
    dataFile_ = QDir(workDir_.path()).filePath(QStringLiteral("velkdata.csv"));
    writeBytes(dataFile_, dayOfData("2024/01/01"));
}

void TestColorgrammePage::cleanupTestCase() {
    setMessageBoxHook({});
    QFile::remove(settingsFile_);
    QDir::setCurrent(previousDir_);
}

void TestColorgrammePage::pageFollowsEveryRecompute() {
    auto form = makeForm();
    const WindowUi ui(*form);
    ColorgrammePage* page = ui.colorgrammePage;
    QCOMPARE(ui.pages->indexOf(page), ui.pages->indexOf(ui.rmobTab) + 1);
    QCOMPARE(ui.pages->tabText(ui.pages->indexOf(page)), QStringLiteral("Colorgramme"));
    QCOMPARE(page->monthChooser->count(), 0);
    QVERIFY(!page->exportButton->isEnabled());

    clickAndWait(*form, ui.openDefaultButton);
    QVERIFY(errors_.isEmpty());
    QCOMPARE(chooserItems(*page), (QStringList{"2023-12", "2024-01"}));
    QCOMPARE(page->monthChooser->currentText(), QStringLiteral("2024-01"));
    QVERIFY(page->exportButton->isEnabled());
    // Local 23h of January 1st is UT 14h: the busiest hour and day.
    const ColorgrammeMonth* january = page->shownMonth();
    QVERIFY(january);
    QCOMPARE(january->cell(1, 14).value, 144);
    QCOMPARE(page->chosenDay(), 1);
    QCOMPARE(page->maximumBox->value(), 144);
    QCOMPARE(page->shownImage(), asRgb888(renderColorgramme(*january, std::nullopt)));

    // The chosen month stays chosen over a recompute that still has it.
    page->monthChooser->setCurrentIndex(0);
    QCOMPARE(page->shownMonth()->month, 12);
    clickAndWait(*form, ui.recomputeButton);
    QCOMPARE(page->monthChooser->currentText(), QStringLiteral("2023-12"));

    // New data: the months follow the file.
    writeBytes(dataFile_, dayOfData("2024/03/01"));
    clickAndWait(*form, ui.recomputeButton);
    QCOMPARE(chooserItems(*page), (QStringList{"2024-02", "2024-03"}));
    QCOMPARE(page->monthChooser->currentText(), QStringLiteral("2024-03"));

    // The RMOB page's 再計算 applies a changed shift to the picture as to the table.
    ui.utOffsetSpin->setValue(0);
    showPage(ui, ui.rmobTab);
    QTest::mouseClick(ui.rmobRecomputeButton, Qt::LeftButton);
    QCOMPARE(chooserItems(*page), QStringList{"2024-03"});
    QCOMPARE(page->shownMonth()->cell(1, 23).value, 144);
}

void TestColorgrammePage::aRunWhoseOutputFailsShowsItsMonths() {
    auto form = makeForm();
    const WindowUi ui(*form);
    clickAndWait(*form, ui.openDefaultButton);
    QCOMPARE(ui.colorgrammePage->monthChooser->count(), 2);

    // The new data are shown although a table's file cannot be written.
    writeBytes(dataFile_, dayOfData("2024/06/10"));
    QVERIFY(QDir().mkdir(QStringLiteral("report10.csv")));
    ui.alwaysWriteTenMinuteCheck->setChecked(true);
    clickAndWait(*form, ui.recomputeButton);
    QCOMPARE(errors_.size(), 1);
    QCOMPARE(chooserItems(*ui.colorgrammePage), QStringList{"2024-06"});

    // Shown again without a run, nothing is rebuilt: the choice stays.
    showPage(ui, ui.colorgrammePage);
    ui.colorgrammePage->chooseDay(30);
    showPage(ui, ui.mainTab);
    showPage(ui, ui.colorgrammePage);
    QCOMPARE(ui.colorgrammePage->chosenDay(), 30);
}

void TestColorgrammePage::clickOnAColumnOrABarChoosesTheDay() {
    ColorgrammePage page;
    page.resize(1200, 800);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.setMonths({handMadeMonth()});
    QCOMPARE(page.chosenDay(), 2); // the busiest day comes first
    QCOMPARE(page.dayChart->highlighted(), 1);

    ColorgrammeView* view = page.view;
    QTest::mouseClick(view, Qt::LeftButton, {}, view->squareRect(17, 20).center().toPoint());
    QCOMPARE(page.chosenDay(), 17);
    QCOMPARE(view->chosenDay(), 17);
    QCOMPARE(page.dayChart->highlighted(), 16);
    QCOMPARE(page.hourChart->title(), QStringLiteral("2024-04-17 時別 (UT)"));

    // The one-pixel gap right of a square still belongs to its day; the 31st
    // column of a 30-day month and the margins choose nothing.
    const QRectF square = view->squareRect(3, 0);
    QTest::mouseClick(view, Qt::LeftButton, {},
                      QPoint(int(square.right()), int(square.center().y())));
    QCOMPARE(page.chosenDay(), 3);
    QTest::mouseClick(view, Qt::LeftButton, {}, view->squareRect(31, 0).center().toPoint());
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(page.chosenDay(), 3);

    // The hour chart shows the chosen day: its noise hour as a grey mark.
    const ChartBar& noise = page.hourChart->bars().at(7);
    QVERIFY(noise.missing);
    QCOMPARE(noise.colour, QColor(150, 150, 150));
    QCOMPARE(page.hourChart->bars().at(8).value, 10.0);

    QTest::mouseClick(page.dayChart->viewport(), Qt::LeftButton, {},
                      page.dayChart->columnRect(24).center().toPoint());
    QCOMPARE(page.chosenDay(), 25);
    QCOMPARE(view->chosenDay(), 25);
}

void TestColorgrammePage::hoverTextTellsTheHour() {
    ColorgrammePage page;
    page.resize(1000, 700);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.setMonths({handMadeMonth()});
    ColorgrammeView* view = page.view;

    const QPoint observed = view->squareRect(2, 5).center().toPoint();
    QCOMPARE(view->toolTipAt(observed),
             QStringLiteral("UT: 2024-04-02 05h\n地方時: 2024-04-02 14h\n値: 80\n"
                            "観測時間: 60 分\n備考: 観測 <b>"));
    QCOMPARE(view->toolTipAt(view->squareRect(1, 3).center()),
             QStringLiteral("UT: 2024-04-01 03h\n地方時: 2024-04-01 12h\n値: 観測なし\n"
                            "観測時間: 0 分\n備考: "));
    QVERIFY(view->toolTipAt(view->squareRect(3, 7).center())
                .contains(QStringLiteral("値: ノイズ (しきい値以下)\n観測時間: 15 分")));
    QVERIFY(view->toolTipAt(view->squareRect(31, 7).center()).isEmpty());

    // What the tooltip shows: the remark as text, never as markup.
    QHelpEvent help(QEvent::ToolTip, observed, view->mapToGlobal(observed));
    QApplication::sendEvent(view, &help);
    QVERIFY2(QToolTip::text().contains(QStringLiteral("観測 &lt;b&gt;")),
             qPrintable(QToolTip::text()));

    // Above a fixed maximum the text says so.
    page.fixedMaximum->setChecked(true);
    page.maximumBox->setValue(50);
    QVERIFY(
        view->toolTipAt(observed).contains(QStringLiteral("値: 80 (最大値 50 を超えています)")));
}

void TestColorgrammePage::fixedMaximumRedrawsAndAutomaticComesBack() {
    ColorgrammePage page;
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    const ColorgrammeMonth month = handMadeMonth();
    page.setMonths({month});
    QVERIFY(!page.maximumBox->isEnabled());
    QCOMPARE(page.maximumBox->value(), 80);
    QCOMPARE(page.manualMaximum(), std::nullopt);

    QTest::mouseClick(page.fixedMaximum, Qt::LeftButton, {},
                      QPoint(8, page.fixedMaximum->height() / 2));
    QVERIFY(page.maximumBox->isEnabled());
    QCOMPARE(page.manualMaximum(), std::optional<double>(80));
    page.maximumBox->setValue(40);
    QCOMPARE(page.shownImage(), asRgb888(renderColorgramme(month, 40.0)));
    QVERIFY(page.shownImage() != asRgb888(renderColorgramme(month, std::nullopt)));
    QCOMPARE(page.hourChart->topValue(), 80.0); // the chosen day's 80 stands above 40

    // A fixed maximum stays over a change of month, for comparing months.
    ColorgrammeMonth may = month;
    may.month = 5;
    page.setMonths({month, may});
    QCOMPARE(page.monthChooser->currentText(), QStringLiteral("2024-04"));
    page.monthChooser->setCurrentIndex(1);
    QCOMPARE(page.manualMaximum(), std::optional<double>(40));

    page.fixedMaximum->setChecked(false);
    QVERIFY(!page.maximumBox->isEnabled());
    QCOMPARE(page.maximumBox->value(), 80);
    QCOMPARE(page.shownImage(), asRgb888(renderColorgramme(may, std::nullopt)));
}

void TestColorgrammePage::paintedPageShowsTheCellColours() {
    ColorgrammePage page;
    page.setMonths({handMadeMonth()});
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    // Large, about its own size, and reduced: the squares keep their colours
    // at every scale.
    QList<double> scales;
    for (const QSize size : {QSize(2100, 1000), QSize(1100, 800), QSize(1100, 400)}) {
        page.resize(size);
        QApplication::processEvents();
        scales.append(page.view->scale());
        const QImage grabbed = page.grab().toImage();
        QCOMPARE(pixelAt(grabbed, page, 1, 3), QColor(0, 0, 0));
        QCOMPARE(pixelAt(grabbed, page, 2, 5), QColor(255, 0, 0));
        QCOMPARE(pixelAt(grabbed, page, 3, 7), QColor(150, 150, 150));
        const Rgb low = colourForValue(10, 80);
        QCOMPARE(pixelAt(grabbed, page, 4, 0), QColor(low.r, low.g, low.b));
    }
    QVERIFY2(scales.at(0) > 1.5, qPrintable(QString::number(scales.at(0))));
    QVERIFY2(scales.at(2) < 1.0, qPrintable(QString::number(scales.at(2))));
}

void TestColorgrammePage::exportWritesTheShownMonthAsTheCoreDrawsIt() {
    auto form = makeForm();
    const WindowUi ui(*form);
    clickAndWait(*form, ui.openDefaultButton);
    showPage(ui, ui.colorgrammePage);
    ColorgrammePage* page = ui.colorgrammePage;
    const int width = form->width();
    QTest::mouseClick(page->exportButton, Qt::LeftButton);
    QVERIFY(errors_.isEmpty());
    QVERIFY(!QFile::exists(QStringLiteral("colorgramme_202401.jpg")));
    // The names written never widen the window.
    QCoreApplication::processEvents();
    QCOMPARE(form->width(), width);
    QCOMPARE(page->exportNote->text(), QStringLiteral("出力: colorgramme_202401.png"));
    // Where it went, in the status bar.
    QCOMPARE(form->statusBar()->currentMessage(),
             QStringLiteral("colorgramme_202401.png を %1 に出力しました")
                 .arg(ui.outputFolderField->text()));

    QImage written(QStringLiteral("colorgramme_202401.png"));
    QVERIFY(!written.isNull());
    const std::vector<ColorgrammeMonth> months = buildColorgrammes(form->hours());
    QCOMPARE(months.size(), size_t(2));
    QCOMPARE(written.convertToFormat(QImage::Format_RGB888),
             asRgb888(renderColorgramme(months[1], std::nullopt)));

    // The JPEG on request, with the fixed maximum that is shown.
    page->monthChooser->setCurrentIndex(0);
    page->fixedMaximum->setChecked(true);
    page->maximumBox->setValue(5);
    page->jpegBox->setChecked(true);
    QTest::mouseClick(page->exportButton, Qt::LeftButton);
    QVERIFY(errors_.isEmpty());
    QCoreApplication::processEvents();
    QCOMPARE(form->width(), width);
    QVERIFY(form->minimumSizeHint().width() <= width);
    QCOMPARE(page->exportNote->toolTip(),
             QStringLiteral("出力: colorgramme_202312.png, colorgramme_202312.jpg"));
    QCOMPARE(
        QImage(QStringLiteral("colorgramme_202312.png")).convertToFormat(QImage::Format_RGB888),
        asRgb888(renderColorgramme(months[0], 5.0)));
    const QImage jpeg(QStringLiteral("colorgramme_202312.jpg"));
    QCOMPARE(jpeg.size(), QSize(kColorgrammeImageWidth, kColorgrammeImageHeight));
    // Above 5: red (the white cross sits in the middle).
    const PixelRect square = colorgrammeSquare(31, 20);
    const QColor corner = jpeg.pixelColor(square.x + 1, square.y + 1);
    QVERIFY2(corner.red() > 200 && corner.blue() < 80, qPrintable(corner.name()));
}

void TestColorgrammePage::exportThatCannotWriteShowsErrorAndPageStaysUsable() {
    auto form = makeForm();
    const WindowUi ui(*form);
    clickAndWait(*form, ui.openDefaultButton);
    showPage(ui, ui.colorgrammePage);
    ColorgrammePage* page = ui.colorgrammePage;
    QVERIFY(QDir().mkdir(QStringLiteral("colorgramme_202401.png")));
    QTest::mouseClick(page->exportButton, Qt::LeftButton);
    QCOMPARE(errors_.size(), 1);
    QVERIFY2(errors_.front().contains(QStringLiteral("colorgramme_202401.png")),
             qPrintable(errors_.front()));
    QVERIFY(page->exportNote->text().isEmpty());

    page->jpegBox->setChecked(true);
    page->monthChooser->setCurrentIndex(0);
    QVERIFY(QDir().mkdir(QStringLiteral("colorgramme_202312.jpg")));
    QTest::mouseClick(page->exportButton, Qt::LeftButton);
    QCOMPARE(errors_.size(), 2);
    QVERIFY2(errors_.back().contains(
                 QDir::current().absoluteFilePath(QStringLiteral("colorgramme_202312.jpg"))),
             qPrintable(errors_.back()));
    QVERIFY(QFile::exists(QStringLiteral("colorgramme_202312.png")));

    QVERIFY(QDir().rmdir(QStringLiteral("colorgramme_202401.png")));
    page->jpegBox->setChecked(false);
    page->monthChooser->setCurrentIndex(1);
    QTest::mouseClick(page->exportButton, Qt::LeftButton);
    QCOMPARE(errors_.size(), 2);
    QVERIFY(!QImage(QStringLiteral("colorgramme_202401.png")).isNull());
}

void TestColorgrammePage::changedShiftMarksLaggingTabsUntilEitherRecompute() {
    auto form = makeForm();
    const WindowUi ui(*form);
    QTabWidget* tabs = ui.pages;
    const auto tabText = [&](QWidget* page) { return tabs->tabText(tabs->indexOf(page)); };
    clickAndWait(*form, ui.openDefaultButton);
    showPage(ui, ui.rmobTab);
    const std::vector<std::string> shiftedNine = ui.rmobView->lines();
    QCOMPARE(tabText(ui.rmobTab), QStringLiteral("RMOB"));

    // A changed shift: both pages still show -9 and say so on their tabs,
    // until the colorgramme's 再計算 rebuilds both.
    ui.utOffsetSpin->setValue(0);
    QCOMPARE(tabText(ui.rmobTab), QStringLiteral("RMOB (要再計算)"));
    QCOMPARE(tabText(ui.colorgrammePage), QStringLiteral("Colorgramme (要再計算)"));
    QCOMPARE(ui.rmobView->lines(), shiftedNine);
    QCOMPARE(chooserItems(*ui.colorgrammePage), (QStringList{"2023-12", "2024-01"}));
    ui.utOffsetSpin->setValue(-9); // back to what they show: nothing lags
    QCOMPARE(tabText(ui.rmobTab), QStringLiteral("RMOB"));
    ui.utOffsetSpin->setValue(0);
    showPage(ui, ui.colorgrammePage);
    QTest::mouseClick(ui.colorgrammePage->recomputeButton, Qt::LeftButton);
    QCOMPARE(tabText(ui.rmobTab), QStringLiteral("RMOB"));
    QCOMPARE(tabText(ui.colorgrammePage), QStringLiteral("Colorgramme"));
    QVERIFY(ui.rmobView->lines() != shiftedNine);
    QCOMPARE(chooserItems(*ui.colorgrammePage), QStringList{"2024-01"});

    // The monthly files bring lagging pages up to the settings they are written with.
    ui.utOffsetSpin->setValue(-9);
    QVERIFY(tabText(ui.rmobTab).endsWith(QStringLiteral("(要再計算)")));
    showPage(ui, ui.rmobTab);
    QTest::mouseClick(ui.rmobMonthlyButton, Qt::LeftButton);
    QVERIFY(errors_.isEmpty());
    QCOMPARE(tabText(ui.rmobTab), QStringLiteral("RMOB"));
    QCOMPARE(tabText(ui.colorgrammePage), QStringLiteral("Colorgramme"));
    QCOMPARE(ui.rmobView->lines(), shiftedNine);
    QCOMPARE(chooserItems(*ui.colorgrammePage), (QStringList{"2023-12", "2024-01"}));
    QVERIFY(QFile::exists(QStringLiteral("unknown_122023rmob.TXT")));
}

void TestColorgrammePage::monthButtonsStepAndStopAtTheEnds() {
    ColorgrammePage page;
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QVERIFY(!page.previousMonthButton->isEnabled());
    QVERIFY(!page.nextMonthButton->isEnabled());
    QVERIFY(!page.rmobFileButton->isEnabled());

    ColorgrammeMonth april = handMadeMonth();
    ColorgrammeMonth may = april;
    may.month = 5;
    ColorgrammeMonth june = april;
    june.month = 6;
    page.setMonths({april, may, june});
    QVERIFY(page.rmobFileButton->isEnabled());
    QCOMPARE(page.monthChooser->currentText(), QStringLiteral("2024-06"));
    QVERIFY(page.previousMonthButton->isEnabled());
    QVERIFY(!page.nextMonthButton->isEnabled());

    const QStringList expected{"2024-05", "2024-04", "2024-04"};
    for (const QString& month : expected) {
        QTest::mouseClick(page.previousMonthButton, Qt::LeftButton);
        QCOMPARE(page.monthChooser->currentText(), month);
    }
    QVERIFY(!page.previousMonthButton->isEnabled());
    QVERIFY(page.nextMonthButton->isEnabled());
    QCOMPARE(page.shownMonth()->month, 4);
    QTest::mouseClick(page.nextMonthButton, Qt::LeftButton);
    QCOMPARE(page.monthChooser->currentText(), QStringLiteral("2024-05"));
    QVERIFY(page.previousMonthButton->isEnabled());
    QVERIFY(page.nextMonthButton->isEnabled());

    page.setMonths({may});
    QVERIFY(!page.previousMonthButton->isEnabled());
    QVERIFY(!page.nextMonthButton->isEnabled());
}

void TestColorgrammePage::oneMonthRmobFileIsThatMonthOfTheWholeExport() {
    auto form = makeForm();
    const WindowUi ui(*form);
    clickAndWait(*form, ui.openDefaultButton);
    showPage(ui, ui.colorgrammePage);
    ColorgrammePage* page = ui.colorgrammePage;
    QTest::mouseClick(page->previousMonthButton, Qt::LeftButton);
    QCOMPARE(page->monthChooser->currentText(), QStringLiteral("2023-12"));

    // Without a station file the warning comes first, and the file is still written.
    const QString december = QStringLiteral("unknown_122023rmob.TXT");
    QTest::mouseClick(page->rmobFileButton, Qt::LeftButton);
    QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join('\n')));
    QCOMPARE(messages_.size(), 1);
    QCOMPARE(page->exportNote->text(), QStringLiteral("出力: ") + december);
    QVERIFY(!QFile::exists(QStringLiteral("unknown_012024rmob.TXT")));
    const QByteArray one = readBytes(december);
    QVERIFY(!one.isEmpty());

    // The same bytes as the RMOB page's export of all months gives that
    // month, here into another output folder.
    const QString all = QDir(workDir_.path()).filePath(QStringLiteral("all"));
    QVERIFY(QDir().mkdir(all));
    form->folderDialog = [&all](QWidget*) { return std::optional<QString>(all); };
    ui.chooseOutputFolderAction->trigger();
    showPage(ui, ui.rmobTab);
    QTest::mouseClick(ui.rmobMonthlyButton, Qt::LeftButton);
    QVERIFY(errors_.isEmpty());
    QCOMPARE(readBytes(QDir(all).filePath(december)), one);
    QVERIFY(QFile::exists(QDir(all).filePath(QStringLiteral("unknown_012024rmob.TXT"))));
    form->folderDialog = [this](QWidget*) { return std::optional<QString>(workDir_.path()); };
    ui.chooseOutputFolderAction->trigger();

    // A file that cannot be written is an error; the page stays usable.
    showPage(ui, ui.colorgrammePage);
    QTest::mouseClick(page->nextMonthButton, Qt::LeftButton);
    QVERIFY(QDir().mkdir(QStringLiteral("unknown_012024rmob.TXT")));
    QTest::mouseClick(page->rmobFileButton, Qt::LeftButton);
    QCOMPARE(errors_.size(), 1);
    QVERIFY2(errors_.front().contains(QStringLiteral("unknown_012024rmob")),
             qPrintable(errors_.front()));
    QVERIFY(page->rmobFileButton->isEnabled());
}

void TestColorgrammePage::pictureGrowsAndMouseHitsTheSquareAtEverySize() {
    ColorgrammePage page;
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.setMonths({handMadeMonth()});
    ColorgrammeView* view = page.view;
    double previousWidth = 0;
    for (const QSize size : {QSize(900, 500), QSize(1900, 1150)}) {
        page.resize(size);
        QApplication::processEvents();
        const QRectF picture = view->pictureRect();
        QVERIFY2(picture.width() > previousWidth, qPrintable(QString::number(picture.width())));
        previousWidth = picture.width();
        QVERIFY(qAbs(picture.width() / picture.height() -
                     double(kColorgrammeImageWidth) / kColorgrammeImageHeight) < 0.01);
        QVERIFY(view->rect().toRectF().contains(picture));

        // Positions worked out from the core's layout, not from the view's own
        // square rectangles: the middle of a square and the gap right of it.
        struct Case {
            int day;
            int hour;
            double dx; // within the core's pixels of the square
        };
        for (const Case c : {Case{1, 0, 7}, Case{17, 20, 7}, Case{30, 23, 7}, Case{9, 11, 14.5}}) {
            const PixelRect r = colorgrammeSquare(c.day, c.hour);
            const QPointF at(picture.left() + (r.x + c.dx) * view->scale(),
                             picture.top() + (r.y + 7) * view->scale());
            QCOMPARE(view->squareAt(at), std::optional<DayHour>(DayHour{c.day, c.hour}));
            QTest::mouseClick(view, Qt::LeftButton, {}, at.toPoint());
            QCOMPARE(page.chosenDay(), c.day);
            QVERIFY(view->toolTipAt(at).startsWith(QStringLiteral("UT: 2024-04-%1 %2h")
                                                       .arg(c.day, 2, 10, QLatin1Char('0'))
                                                       .arg(c.hour, 2, 10, QLatin1Char('0'))));
        }
        // Left of the grid and the 31st column of April choose nothing.
        QCOMPARE(view->squareAt(picture.topLeft() + QPointF(2, 2)), std::nullopt);
        const PixelRect day31 = colorgrammeSquare(31, 5);
        QCOMPARE(
            view->squareAt(picture.topLeft() + QPointF(day31.x + 7, day31.y + 7) * view->scale()),
            std::nullopt);
    }
}

QTEST_MAIN(TestColorgrammePage)
#include "ColorgrammePageTest.moc"
