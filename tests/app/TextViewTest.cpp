// The text views: the editor a page turns into when typed into (exact bytes,
// big texts built on a worker thread) and the line views of the pages
// (scrolling to the last line, selection and copy of the exact text, find, go
// to line, turning into an editor when typed into).

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
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

class TestTextView : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<MainWindow> makeForm();
    // Two editors on the tabs of a window of their own: the first shown, the
    // second hidden until its tab is clicked.
    struct TwoEditors {
        std::unique_ptr<QTabWidget> tabs;
        TextView* shown;
        TextView* hidden;
    };
    static TwoEditors makeEditors();

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

namespace {

void clickTab(QTabWidget& tabs, int index) {
    QTabBar* bar = tabs.tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    QCOMPARE(tabs.currentIndex(), index);
}

} // namespace

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

TestTextView::TwoEditors TestTextView::makeEditors() {
    TwoEditors editors{std::make_unique<QTabWidget>(), nullptr, nullptr};
    editors.shown = new TextView(QStringLiteral("one"));
    editors.hidden = new TextView(QStringLiteral("two"));
    editors.tabs->addTab(editors.shown, QStringLiteral("one"));
    editors.tabs->addTab(editors.hidden, QStringLiteral("two"));
    editors.tabs->resize(600, 400);
    editors.tabs->show();
    if (!QTest::qWaitForWindowExposed(editors.tabs.get())) {
        qWarning("editors did not show");
    }
    return editors;
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
    // The editor a page turns into gives them back too.
    TextView editor(QString{});
    editor.setLines(lines);
    QCOMPARE(editor.lines(), lines);

    // A file of any line ends shows as lines.
    writeBytes(QStringLiteral("mixed.txt"), QByteArray("one\r\ntwo\rthree\nfour"));
    form->loadPage(Page::TenMinuteTable, "mixed.txt");
    QCOMPARE(viewText(form->tenMinuteView),
             (QStringList{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three"),
                          QStringLiteral("four")}));
}

void TestTextView::aBigTextWaitsForItsPageToBeShown() {
    TwoEditors editors = makeEditors();
    const std::string line(99, 'x');
    const std::vector<std::string> big(TextView::kDeferredSize / 100 + 1, line);
    editors.hidden->setLines(big);
    QVERIFY(editors.hidden->isWaiting());
    QCOMPARE(editors.hidden->toPlainText(), QStringLiteral("two"));
    clickTab(*editors.tabs, 1);
    QVERIFY(!editors.hidden->isWaiting());
    QCOMPARE(editors.hidden->document()->blockCount(), int(big.size()) + 1);

    // A visible view fills at once, and reading a hidden one fills it first.
    editors.hidden->setLines(big);
    QVERIFY(!editors.hidden->isWaiting());
    editors.shown->setLines(big); // hidden now
    QVERIFY(editors.shown->isWaiting());
    QCOMPARE(editors.shown->lines().size(), big.size());
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
    form->setRmobLines(big);
    showPage(*form, form->rmobTab);
    LineView* lineView = form->rmobView->lineView();
    lineView->setFocus();

    // Typing turns the page into an editor, whose document is built on a
    // worker thread. During the fill the event loop comes round: a click on
    // 再計算 and a click on 読み込み then start nothing, and the window stays open.
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
    QTest::keyClick(lineView, Qt::Key_Z);
    ticker.stop();
    QVERIFY(rounds > 0);
    QCOMPARE(dialogCalls_, 0);
    QCOMPARE(form->recomputeButton->text(), QStringLiteral("再計算"));
    QVERIFY(form->isVisible());
    QVERIFY(errors_.isEmpty());

    TextView* editor = form->rmobView->editor();
    QVERIFY(editor && !editor->isWaiting());
    QCOMPARE(editor->document()->blockCount(), int(big.size()) + 1);
    std::vector<std::string> typed = big;
    typed.front().insert(0, "z");
    QCOMPARE(form->rmobLines(), typed);
    QCOMPARE(editor->textCursor().position(), 1);

    // Afterwards commands run again.
    form->openButton->click();
    QCOMPARE(dialogCalls_, 1);
}

void TestTextView::aBuildReplacedClearedOrOutlivedLeavesTheLastText() {
    TwoEditors editors = makeEditors();
    const auto bigOf = [](char fill) {
        return std::vector<std::string>(TextView::kDeferredSize / 50, std::string(49, fill));
    };
    const std::vector<std::string> first = bigOf('a');
    const std::vector<std::string> second = bigOf('b');
    TextView* view = editors.hidden;

    // A text given while another is still being built replaces it, whether
    // the new one is big or small, and a clear drops the build.
    view->setLines(first);
    view->setLines(second);
    QCOMPARE(view->lines(), second);
    view->setLines(first);
    view->setLines({"small"});
    QVERIFY(!view->isWaiting());
    QCOMPARE(view->lines(), std::vector<std::string>{"small"});
    editors.shown->setLines(first);
    editors.shown->clearText();
    QVERIFY(!editors.shown->isWaiting());
    QVERIFY(editors.shown->lines().empty());

    // A visible view given a big text during a load takes it by itself once
    // built, and until then the window takes no command.
    clickTab(*editors.tabs, 1);
    {
        const BusyGuard load(editors.tabs.get());
        view->setLines(first);
    }
    QVERIFY(view->isWaiting());
    QVERIFY(BusyGuard::active());
    QTRY_VERIFY_WITH_TIMEOUT(!view->isWaiting(), 20000);
    QVERIFY(!BusyGuard::active());
    QCOMPARE(view->document()->blockCount(), int(first.size()) + 1);
    QCOMPARE(view->lines(), first);

    // A window closed with builds running lets them end first.
    editors.shown->setLines(second);
    view->setLines(second);
    editors.tabs.reset();
}

void TestTextView::lineViewReachesTheLastLineOfABigText() {
    auto form = makeForm();
    LargeTextView* page = form->tenMinuteView;
    // Every line end counts once, a last line without one too, and no line
    // holds a part of its line end.
    using Lines = std::vector<std::string>;
    const std::pair<const char*, Lines> ends[] = {
        {"", {}},           {"a\n", {"a"}},         {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        {"\n\n", {"", ""}}, {"a\r\r\n", {"a", ""}}, {"\r\n\r\rxy\n\r", {"", "", "", "xy", ""}},
    };
    for (const auto& [bytes, lines] : ends) {
        page->setBytes(bytes);
        QCOMPARE(page->lineCount(), lines.size());
        QCOMPARE(page->lines(), lines);
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
