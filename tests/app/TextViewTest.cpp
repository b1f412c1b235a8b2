// The text views of the pages: the editors of the text report and the RMOB
// tables (exact bytes, big texts built on a worker thread) and the line views
// of the big pages (scrolling to the last line, selection and copy of the exact
// text, find, go to line, turning into an editor when typed into).

#include "app/TextView.h"
#include "AppTestSupport.h"
#include "PageTestSupport.h"
#include "app/BusyGuard.h"
#include "app/LargeTextView.h"
#include "app/LineView.h"
#include "app/MainWindow.h"
#include "app/MessageBoxes.h"
#include "config/Settings.h"
#include "shared/CodePage.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

class TestTextView : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<MainWindow> makeForm();

    QTemporaryDir workDir_;
    QString previousDir_;
    QStringList errors_;
    int dialogCalls_ = 0;

private slots:
    void initTestCase();
    void cleanupTestCase();

    void viewsGiveBackTheBytesTheyWereGiven();
    void aBigTextWaitsForItsPageToBeShown();
    void aPiecewiseFillPaintsHoldsTheExactTextAndDropsCommands();
    void aBuildReplacedClearedOrOutlivedLeavesTheLastText();

    void lineViewReachesTheLastLineOfABigText();
    void lineViewCopiesExactlyTheShownText();
    void lineViewFindsForwardBackwardAndRound();
    void lineViewGoesToALine();
    void typingTurnsThePageIntoAnEditorOfItsText();
};

std::unique_ptr<MainWindow> TestTextView::makeForm() {
    auto form = std::make_unique<MainWindow>();
    form->openDialog = [this](QWidget*) {
        ++dialogCalls_;
        return std::optional<QString>();
    };
    form->show();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get())) {
        qWarning("window did not become active");
    }
    return form;
}

void TestTextView::initTestCase() {
    QVERIFY(workDir_.isValid());
    previousDir_ = QDir::currentPath();
    QVERIFY(QDir::setCurrent(workDir_.path()));
    setMessageBoxHook([this](QMessageBox::Icon icon, const QString& text) {
        if (icon == QMessageBox::Critical) {
            errors_.append(text);
        }
    });
}

void TestTextView::cleanupTestCase() {
    setMessageBoxHook({});
    QFile::remove(QString::fromStdString(defaultSettingsFileName()));
    QDir::setCurrent(previousDir_);
}

void TestTextView::viewsGiveBackTheBytesTheyWereGiven() {
    auto form = makeForm();
    std::string everyByte;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r' && b != '\n') {
            everyByte.push_back(static_cast<char>(b));
        }
    }
    const std::vector<std::string> lines = {"",
                                            everyByte,
                                            "\x82\xA0\x93\xFA\x8E\x9E",
                                            "\x87\x90 NEC copy",
                                            "lead at end \x82",
                                            "",
                                            "\xA0 and \xFF",
                                            ""};
    form->setRmobLines(lines);
    QCOMPARE(form->rmobLines(), lines);
    form->setTextReportLines({});
    QVERIFY(form->textReportLines().empty());

    // A file of any line ends shows as lines.
    writeBytes(QStringLiteral("mixed.txt"), QByteArray("one\r\ntwo\rthree\nfour"));
    form->loadPage(Page::TenMinuteTable, "mixed.txt");
    QCOMPARE(viewText(form->tenMinuteView),
             (QStringList{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three"),
                          QStringLiteral("four")}));
}

void TestTextView::aBigTextWaitsForItsPageToBeShown() {
    auto form = makeForm();
    const std::string line(99, 'x');
    const std::vector<std::string> big(TextView::kDeferredSize / 100 + 1, line);
    form->rmobView->setLines(big);
    QVERIFY(form->rmobView->isWaiting());
    QCOMPARE(form->rmobView->toPlainText(), QStringLiteral("RMOB_View"));
    showPage(*form, form->rmobTab);
    QVERIFY(!form->rmobView->isWaiting());
    QCOMPARE(form->rmobView->document()->blockCount(), int(big.size()) + 1);

    // A visible page fills at once, and reading a hidden one fills it first.
    form->rmobView->setLines(big);
    QVERIFY(!form->rmobView->isWaiting());
    form->setTextReportLines(big);
    QVERIFY(form->textReportView->isWaiting());
    QCOMPARE(form->textReportLines().size(), big.size());
}

void TestTextView::aPiecewiseFillPaintsHoldsTheExactTextAndDropsCommands() {
    auto form = makeForm();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    // Lines of differing lengths, a double-byte text and an empty line, so
    // that the piece boundaries fall in every kind of place.
    std::vector<std::string> big;
    size_t total = 0;
    for (int i = 0; total < 3 * TextView::kPiecewiseSize; ++i) {
        std::string line = std::to_string(i) + std::string(static_cast<size_t>(i % 97), 'x');
        if (i % 1000 == 7) {
            line += "\x93\xFA\x96\x7B"; // 日本
        }
        if (i % 5000 == 11) {
            line.clear();
        }
        total += line.size() + 1;
        big.push_back(std::move(line));
    }
    form->rmobView->setLines(big);
    QVERIFY(form->rmobView->isWaiting());

    // During the fill the event loop comes round: a click on 再計算 and a
    // click on 読み込み then start nothing, and the window stays open.
    int rounds = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&] {
        if (++rounds == 1) {
            form->recomputeButton->setEnabled(true);
            form->recomputeButton->click();
            form->openButton->click();
            form->close();
        }
    });
    ticker.start(0);
    dialogCalls_ = 0;
    showPage(*form, form->rmobTab);
    ticker.stop();
    QVERIFY(rounds > 0);
    QCOMPARE(dialogCalls_, 0);
    QCOMPARE(form->recomputeButton->text(), QStringLiteral("再計算"));
    QVERIFY(form->isVisible());
    QVERIFY(errors_.isEmpty());

    QVERIFY(!form->rmobView->isWaiting());
    QCOMPARE(form->rmobView->document()->blockCount(), int(big.size()) + 1);
    QCOMPARE(form->rmobView->lines(), big);
    QCOMPARE(form->rmobView->textCursor().position(), 0);

    // Afterwards commands run again.
    form->openButton->click();
    QCOMPARE(dialogCalls_, 1);
}

void TestTextView::aBuildReplacedClearedOrOutlivedLeavesTheLastText() {
    auto form = makeForm();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    const auto bigOf = [](char fill) {
        return std::vector<std::string>(TextView::kDeferredSize / 50, std::string(49, fill));
    };
    const std::vector<std::string> first = bigOf('a');
    const std::vector<std::string> second = bigOf('b');

    // A text given while another is still being built replaces it, whether
    // the new one is big or small, and a clear drops the build.
    form->setRmobLines(first);
    form->setRmobLines(second);
    QCOMPARE(form->rmobLines(), second);
    form->setRmobLines(first);
    form->setRmobLines({"small"});
    QVERIFY(!form->rmobView->isWaiting());
    QCOMPARE(form->rmobLines(), std::vector<std::string>{"small"});
    form->textReportView->setLines(first);
    form->textReportView->clearText();
    QVERIFY(!form->textReportView->isWaiting());
    QVERIFY(form->textReportView->lines().empty());

    // A visible view given a big text during a load takes it by itself once
    // built, and until then the window takes no command.
    showPage(*form, form->rmobTab);
    {
        const BusyGuard load(form.get());
        form->rmobView->setLines(first);
    }
    QVERIFY(form->rmobView->isWaiting());
    QVERIFY(BusyGuard::active());
    QTRY_VERIFY_WITH_TIMEOUT(!form->rmobView->isWaiting(), 20000);
    QVERIFY(!BusyGuard::active());
    QCOMPARE(form->rmobView->document()->blockCount(), int(first.size()) + 1);
    QCOMPARE(form->rmobView->lines(), first);

    // A window closed with builds running lets them end first.
    form->textReportView->setLines(second);
    form->setRmobLines(second);
    form.reset();
}

void TestTextView::lineViewReachesTheLastLineOfABigText() {
    auto form = makeForm();
    LargeTextView* page = form->tenMinuteView;
    // Every line end counts once, a last line without one too.
    const std::pair<const char*, size_t> ends[] = {
        {"", 0}, {"a\n", 1}, {"a\r\nb\rc\nd", 4}, {"\n\n", 2}, {"a\r\r\n", 2}};
    for (const auto& [bytes, count] : ends) {
        page->setBytes(bytes);
        QCOMPARE(page->lineCount(), count);
    }

    std::vector<std::string> big;
    for (int i = 0; i < 600000; ++i) {
        big.push_back("row " + std::to_string(i));
    }
    page->setLines(big);
    showPage(*form, form->tenMinuteTab);
    LineView* view = page->lineView();
    QCOMPARE(view->lineCount(), big.size());
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
    QCOMPARE(view->firstVisibleLine() + view->visibleLineCount(), big.size());
    view->setFocus();
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(view->cursorPosition().line, big.size() - 1);
    QCOMPARE(view->lineText(view->cursorPosition().line), QStringLiteral("row 599999"));
}

void TestTextView::lineViewCopiesExactlyTheShownText() {
    auto form = makeForm();
    showPage(*form, form->rawDataTab);
    LineView* view = form->rawDataView->lineView();
    std::string everyByte;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r' && b != '\n') {
            everyByte.push_back(static_cast<char>(b));
        }
    }
    const std::vector<std::string> lines = {"\x82\xA0\x93\xFA", everyByte, "", "lead at end \x82",
                                            "\xA0 and \xFF"};
    form->rawDataView->setLines(lines);
    view->setFocus();
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    const QString copied = QApplication::clipboard()->text();
    QCOMPARE(copied, form->rawDataView->toPlainText());
    QCOMPARE(qStringToCp932(copied),
             lines[0] + '\n' + lines[1] + "\n\n" + lines[3] + '\n' + lines[4]);

    // A selection by keys inside a line, and one over a line end.
    QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(qStringToCp932(view->selectedText()), std::string("\x82\xA0"));
    QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(qStringToCp932(view->selectedText()), "\x82\xA0\x93\xFA\n" + everyByte.substr(0, 1));
}

void TestTextView::lineViewFindsForwardBackwardAndRound() {
    auto form = makeForm();
    showPage(*form, form->hourTab);
    LargeTextView* page = form->hourView;
    page->setLines({"alpha", "beta \x93\xFA\x96\x7B", "gamma alpha"});
    LineView* view = page->lineView();
    using P = LineView::Position;
    const struct {
        const char* text;
        bool backward;
        bool found;
        P at; // where the match starts
    } steps[] = {
        {"alpha", false, true, {0, 0}},   {"alpha", false, true, {2, 6}},
        {"alpha", false, true, {0, 0}},   {"alpha", true, true, {2, 6}},
        {"日本", false, true, {1, 5}},    {"{", false, false, {1, 5}}, // 本's second byte is '{'
        {"missing", true, false, {1, 5}},
    };
    for (const auto& step : steps) {
        page->showFindBar();
        page->findField->setText(QString::fromUtf8(step.text));
        QCOMPARE(page->findNext(step.backward), step.found);
        // A failed search leaves the last match selected.
        QCOMPARE(view->cursorPosition().line, step.at.line);
        const QString shown = step.found ? QString::fromUtf8(step.text) : QStringLiteral("日本");
        QCOMPARE(view->selectedText(), shown);
        QCOMPARE(view->cursorPosition().column, step.at.column + shown.size());
    }
    // Enter in the find field finds the next match, Shift+Enter the one before.
    page->findField->setText(QStringLiteral("alpha"));
    QTest::keyClick(page->findField, Qt::Key_Return);
    QCOMPARE(view->cursorPosition(), (P{2, 11}));
    QTest::keyClick(page->findField, Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(view->cursorPosition(), (P{0, 5}));
}

void TestTextView::lineViewGoesToALine() {
    auto form = makeForm();
    showPage(*form, form->noObsTab);
    std::vector<std::string> lines(5000, "x");
    form->noObsView->setLines(lines);
    LineView* view = form->noObsView->lineView();
    view->goToLine(1234);
    QCOMPARE(view->cursorPosition().line, size_t(1234));
    QCOMPARE(view->firstVisibleLine(), size_t(1234));
    view->goToLine(99999); // beyond the end: the last line, shown at the page's foot
    QCOMPARE(view->cursorPosition().line, size_t(4999));
    QCOMPARE(view->firstVisibleLine() + view->visibleLineCount(), size_t(5000));
}

void TestTextView::typingTurnsThePageIntoAnEditorOfItsText() {
    auto form = makeForm();
    showPage(*form, form->tenMinuteTab);
    LargeTextView* page = form->tenMinuteView;
    page->setLines({"one", "two \x93\xFA", "three"});
    page->lineView()->setFocus();
    page->lineView()->goToLine(1);
    QTest::keyClick(page->lineView(), Qt::Key_End);
    QVERIFY(!page->isEditing());
    QTest::keyClicks(page->lineView(), QStringLiteral("!"));
    QVERIFY(page->isEditing());
    QTest::keyClicks(page->editor(), QStringLiteral("?"));
    QCOMPARE(page->lines(), (std::vector<std::string>{"one", "two \x93\xFA!?", "three"}));
    // Finding works in the editor too.
    page->findField->setText(QStringLiteral("three"));
    QVERIFY(page->findNext());
    QCOMPARE(page->editor()->textCursor().selectedText(), QStringLiteral("three"));

    // A new text shows in the line view again.
    page->setLines({"new"});
    QVERIFY(!page->isEditing());
    QCOMPARE(page->lines(), std::vector<std::string>{"new"});
}

QTEST_MAIN(TestTextView)
#include "TextViewTest.moc"
