// The text views: the pages' line views (exact bytes, scrolling to the last
// line, selection and copy of the exact text, find, go to line) and the editor
// a page turns into when typed into, whose document a big text builds on a
// worker thread while the window goes on.

#include "app/TextView.h"
#include "AppTestSupport.h"
#include "PageTestSupport.h"
#include "app/LargeTextView.h"
#include "app/LineView.h"
#include "shared/CodePage.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>

#include <memory>
#include <random>

namespace {

// A page in a window of its own, with a button beside it.
struct ShownPage {
    ShownPage() : page(new LargeTextView(QStringLiteral("initial"))), button(new QPushButton) {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(page);
        layout->addWidget(button);
        window.resize(600, 400);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) {
            qWarning("page did not show");
        }
    }
    QWidget window;
    LargeTextView* page;
    QPushButton* button;
};

// Lines of differing lengths, a double-byte text and empty lines, so that the
// pieces of a build end in every kind of place; over a megabyte in all.
std::vector<std::string> bigLines() {
    std::vector<std::string> big;
    size_t total = 0;
    for (int i = 0; total < 3 * TextView::kWorkerSize; ++i) {
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
    return big;
}

std::string everyByte() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r' && b != '\n') {
            bytes.push_back(static_cast<char>(b));
        }
    }
    return bytes;
}

} // namespace

class TestTextView : public QObject {
    Q_OBJECT

private slots:
    void viewsGiveBackTheBytesTheyWereGiven();
    void typingIntoABigPageKeepsTheKeysUntilItsEditorIsReady();
    void aNewTextOrThePagesEndDropsAnEditorBuild();

    void lineViewReachesTheLastLineOfABigText();
    void lineViewCopiesExactlyTheShownText();
    void lineViewFindsForwardBackwardAndRound();
    void lineViewGoesToALine();
    void typingTurnsThePageIntoAnEditorOfItsText();
    void lineViewTakesEditsAsTheWholeTextShowsThem();
};

void TestTextView::viewsGiveBackTheBytesTheyWereGiven() {
    const std::vector<std::string> lines = {"",
                                            everyByte(),
                                            "\x82\xA0\x93\xFA\x8E\x9E",
                                            "\x87\x90 NEC copy",
                                            "lead at end \x82",
                                            "",
                                            "\xA0 and \xFF",
                                            ""};
    LargeTextView page(QString{});
    page.setLines(lines);
    QCOMPARE(page.lines(), lines);
    page.setLines({});
    QVERIFY(page.lines().empty());
    // The editor a page turns into gives them back too.
    TextView editor(QString{});
    editor.setLines(lines);
    QCOMPARE(editor.lines(), lines);

    // A text of any line ends shows as lines.
    page.setBytes("one\r\ntwo\rthree\nfour");
    QCOMPARE(viewText(&page), (QStringList{QStringLiteral("one"), QStringLiteral("two"),
                                           QStringLiteral("three"), QStringLiteral("four")}));
}

void TestTextView::typingIntoABigPageKeepsTheKeysUntilItsEditorIsReady() {
    ShownPage shown;
    LargeTextView* page = shown.page;
    const std::vector<std::string> big = bigLines();
    page->setLines(big);
    page->lineView()->setFocus();
    int clicks = 0;
    connect(shown.button, &QPushButton::clicked, [&] { ++clicks; });

    // The first key starts the editor's build; the page stays the line view
    // of the same text, the keys typed meanwhile wait, and the window takes
    // clicks.
    QTest::keyClick(page->lineView(), Qt::Key_Z);
    QVERIFY(page->isPreparingEditor());
    QTest::keyClick(page->lineView(), Qt::Key_Y);
    QTest::mouseClick(shown.button, Qt::LeftButton);
    QCOMPARE(clicks, 1);
    QCOMPARE(page->lines(), big);

    QTRY_VERIFY_WITH_TIMEOUT(page->isEditing(), 60000);
    TextView* editor = page->editor();
    QCOMPARE(editor->document()->blockCount(), int(big.size()) + 1);
    std::vector<std::string> typed = big;
    typed.front().insert(0, "zy");
    QCOMPARE(page->lines(), typed);
    QCOMPARE(editor->textCursor().position(), 2);
}

void TestTextView::aNewTextOrThePagesEndDropsAnEditorBuild() {
    const std::vector<std::string> big = bigLines();
    {
        ShownPage shown;
        LargeTextView* page = shown.page;
        // A text given while the editor is built replaces it, big or small,
        // and a clear drops the build too.
        page->setLines(big);
        QTest::keyClick(page->lineView(), Qt::Key_Z);
        QVERIFY(page->isPreparingEditor());
        page->setLines({"small"});
        QVERIFY(!page->isPreparingEditor() && !page->isEditing());
        QCOMPARE(page->lines(), std::vector<std::string>{"small"});
        page->setLines(big);
        QTest::keyClick(page->lineView(), Qt::Key_Z);
        page->setLines(big);
        QVERIFY(!page->isPreparingEditor());
        QCOMPARE(page->lines(), big);
        QTest::keyClick(page->lineView(), Qt::Key_Z);
        page->clearText();
        QVERIFY(!page->isPreparingEditor());
        QVERIFY(page->lines().empty());
        // Nothing of a dropped build arrives later.
        QTest::qWait(200);
        QVERIFY(!page->isEditing());

        // A page that goes with a build under way lets it end first.
        page->setLines(big);
        QTest::keyClick(page->lineView(), Qt::Key_Z);
        QVERIFY(page->isPreparingEditor());
    }
}

void TestTextView::lineViewReachesTheLastLineOfABigText() {
    ShownPage shown;
    LargeTextView* page = shown.page;
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
    ShownPage shown;
    LineView* view = shown.page->lineView();
    const std::string all = everyByte();
    const std::vector<std::string> lines = {"\x82\xA0\x93\xFA", all, "", "lead at end \x82",
                                            "\xA0 and \xFF"};
    shown.page->setLines(lines);
    view->setFocus();
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    const QString copied = QApplication::clipboard()->text();
    QCOMPARE(copied, shown.page->toPlainText());
    QCOMPARE(qStringToCp932(copied),
             lines[0] + '\n' + lines[1] + "\n\n" + lines[3] + '\n' + lines[4]);

    // A selection by keys inside a line, and one over a line end.
    QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(qStringToCp932(view->selectedText()), std::string("\x82\xA0"));
    QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(qStringToCp932(view->selectedText()), "\x82\xA0\x93\xFA\n" + all.substr(0, 1));
}

void TestTextView::lineViewFindsForwardBackwardAndRound() {
    ShownPage shown;
    LargeTextView* page = shown.page;
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
        const QString match = step.found ? QString::fromUtf8(step.text) : QStringLiteral("日本");
        QCOMPARE(view->selectedText(), match);
        QCOMPARE(view->cursorPosition().column, step.at.column + match.size());
    }
    // Enter in the find field finds the next match, Shift+Enter the one before.
    page->findField->setText(QStringLiteral("alpha"));
    QTest::keyClick(page->findField, Qt::Key_Return);
    QCOMPARE(view->cursorPosition(), (P{2, 11}));
    QTest::keyClick(page->findField, Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(view->cursorPosition(), (P{0, 5}));
}

void TestTextView::lineViewGoesToALine() {
    ShownPage shown;
    shown.page->setLines(std::vector<std::string>(5000, "x"));
    LineView* view = shown.page->lineView();
    view->goToLine(1234);
    QCOMPARE(view->cursorPosition().line, size_t(1234));
    QCOMPARE(view->firstVisibleLine(), size_t(1234));
    view->goToLine(99999); // beyond the end: the last line, shown at the page's foot
    QCOMPARE(view->cursorPosition().line, size_t(4999));
    QCOMPARE(view->firstVisibleLine() + view->visibleLineCount(), size_t(5000));
}

void TestTextView::typingTurnsThePageIntoAnEditorOfItsText() {
    ShownPage shown;
    LargeTextView* page = shown.page;
    page->setLines({"one", "two \x93\xFA", "three"});
    page->lineView()->setFocus();
    page->lineView()->goToLine(1);
    QTest::keyClick(page->lineView(), Qt::Key_End);
    QVERIFY(!page->isEditing());
    // A small text's editor comes at once.
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

// A growing file's page takes edits in place (live mode): after each, its
// lines are those of the whole text indexed afresh, whatever the edit cut
// (a CR LF in two, a line in the middle) and wherever it was made.
void TestTextView::lineViewTakesEditsAsTheWholeTextShowsThem() {
    LineView view;
    view.setText(IndexedText::of(std::string()));
    std::string text;
    std::mt19937 random(29);
    const char* pieces[] = {"ab", "\r", "\n", "\r\n", "x", "\x93\xFA"};
    for (int round = 0; round < 1000; ++round) {
        std::string inserted;
        for (int n = static_cast<int>(random() % 4); n >= 0; --n) {
            inserted += pieces[random() % std::size(pieces)];
        }
        // Appended, as a recorder does, or within the text.
        const size_t from = random() % 2 != 0 ? text.size() : random() % (text.size() + 1);
        const size_t removed = random() % 8 == 0 ? (text.size() - from) / 2 : 0;
        QVERIFY(view.applyEdits({TextEdit{from, removed, inserted}}, LineView::EditUnit::Bytes));
        text.replace(from, removed, inserted);
        const LineIndex whole = LineIndex::of(text);
        QCOMPARE(view.lineCount(), whole.lineCount());
        for (size_t i = 0; i < whole.lineCount(); ++i) {
            QCOMPARE(view.lineBytes(i), whole.line(text, i));
        }
    }
    // Lines of a page of lines; an edit that does not fit changes nothing.
    view.setText(IndexedText::ofLines({"a", "b", "c"}));
    QVERIFY(view.applyEdits({TextEdit{1, 2, "B\nC\nD\n"}}, LineView::EditUnit::Lines));
    QCOMPARE(view.bytes(), std::string_view("a\nB\nC\nD\n"));
    QVERIFY(!view.applyEdits({TextEdit{3, 2, "E\n"}}, LineView::EditUnit::Lines));
    QCOMPARE(view.lineCount(), size_t{4});
}

QTEST_MAIN(TestTextView)
#include "TextViewTest.moc"
