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
// Ctrl+F opens a find bar (Enter: next, Shift+Enter: previous, F3 and
// Shift+F3 likewise, Escape closes it); Ctrl+G goes to a line.

#include <QString>
#include <QWidget>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class LineView;
class QKeyEvent;
class QLineEdit;
class QStackedWidget;
class QToolButton;
class TextView;

class LargeTextView : public QWidget {
    Q_OBJECT
public:
    explicit LargeTextView(const QString& initialText, QWidget* parent = nullptr);

    // Replaces the content with a text of any line ends (CR LF, CR or LF);
    // shared bytes are shown without a copy of them.
    void setBytes(std::string bytes);
    void setBytes(std::shared_ptr<const std::string> bytes);
    void setLines(const std::vector<std::string>& lines);
    // Replaces the content with a file's text; IoError when it cannot be read.
    // The old text goes first, so that two big texts are never held at once.
    void loadFile(const std::string& fileName);
    void clearText();

    // What the page shows, line by line, as bytes and as shown text.
    std::vector<std::string> lines();
    QString toPlainText();
    size_t lineCount();

    bool isEditing() const { return editor_ != nullptr; }
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

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startEditing(QKeyEvent* event);
    void dropEditor();

    QStackedWidget* stack_;
    LineView* lineView_;
    TextView* editor_ = nullptr;
    bool readOnly_ = false;
    QWidget* findBar_;
};
