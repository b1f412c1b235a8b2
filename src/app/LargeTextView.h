#pragma once
// A page's text of any size: every page of text in the window (raw data, the
// text report, the two tables, the no-observation list, the RMOB tables). It
// shows the text through a LineView, which draws only the visible lines
// straight from the bytes, so a decade of data costs the window neither
// seconds nor a gigabyte. The page stays editable: the moment the user types
// into it, it turns into an ordinary editor of that text (a TextView), paying
// the cost of a document only then. lines() gives what the page shows, the
// user's edits included, which is what the text report and the RMOB tables are
// written from. A new text shows in the line view again.
//
// A page that follows a growing file (live mode) takes each change in place
// (applyEdits); a page the user is editing turns back into the line view of
// the changed text, as it does for any new text.
//
// A big text's editor document is built on a worker thread. Until it is
// ready the page stays the line view of the same text, and the keys typed
// meanwhile wait; then the editor takes the page and the keys, in order. A
// new text, or the page's end, drops a build under way.
//
// Ctrl+F opens a find bar (Enter: next, Shift+Enter: previous, F3 and
// Shift+F3 likewise, Escape closes it); Ctrl+G goes to a line.

#include "app/LineIndex.h"
#include "app/LineView.h"

#include <QFutureWatcher>
#include <QString>
#include <QWidget>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

class QKeyEvent;
class QLineEdit;
class QStackedWidget;
class QTextDocument;
class QToolButton;
class TextView;

class LargeTextView : public QWidget {
    Q_OBJECT
public:
    explicit LargeTextView(const QString& initialText, QWidget* parent = nullptr);
    ~LargeTextView() override;

    // Replaces the content: a text and its index, a text of any line ends
    // (CR LF, CR or LF; indexed here), or lines.
    void setText(IndexedText text);
    void setBytes(std::string bytes);
    void setLines(const std::vector<std::string>& lines);
    void clearText();
    // Changes the content in place: bytes of a text, or lines of a page of
    // lines (setLines). False when the edits do not fit what the page holds.
    using EditUnit = LineView::EditUnit;
    bool applyEdits(const std::vector<TextEdit>& edits, EditUnit unit);

    // What the page shows, line by line, as bytes and as shown text.
    std::vector<std::string> lines() const;
    QString toPlainText() const;
    size_t lineCount() const;

    bool isEditing() const { return editor_ != nullptr; }
    // The editor's document is being built; typed keys wait for it.
    bool isPreparingEditor() const { return build_ != nullptr; }
    // A read-only page never turns into an editor.
    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool isReadOnly() const { return readOnly_; }
    LineView* lineView() const { return lineView_; }
    TextView* editor() const { return editor_; } // null until the user edits

    void showFindBar();
    bool findNext(bool backward = false);
    void askForLine(); // the go-to-line dialog

    QLineEdit* findField;
    QToolButton* findNextButton;
    QToolButton* findPreviousButton;

signals:
    void editorReady(); // the page has become an editor

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override; // the find bar follows the language

private:
    struct EditorBuild;

    void buildFindBar();
    void showFindBarTexts();
    void startEditing(QKeyEvent* event);
    void becomeEditor(std::unique_ptr<QTextDocument> document);
    void dropEditor();
    void dropBuild();

    QStackedWidget* stack_;
    LineView* lineView_;
    TextView* editor_ = nullptr;
    bool readOnly_ = false;
    QWidget* findBar_;
    std::unique_ptr<EditorBuild> build_;
};
