#include "app/TextView.h"

#include "app/BusyGuard.h"
#include "shared/CodePage.h"
#include "shared/TextFile.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QPlainTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <thread>

namespace {

// Undo history of a decade of data would hold the whole text a second time.
constexpr qsizetype kUndoLimit = 4 * 1024 * 1024;

QFont pixelFont(const QString& family, QFontDatabase::SystemFont fallback) {
    QFont font = QFontDatabase::families().contains(family) ? QFont(family)
                                                            : QFontDatabase::systemFont(fallback);
    font.setPixelSize(12);
    return font;
}

} // namespace

// One build of a big text's document. The worker reads only `text` and builds
// only `doc`; the view's thread touches neither until `done`, apart from the
// cancel flag.
struct TextView::Build {
    std::u16string text;
    size_t size = 0;
    QThread* home = nullptr;
    std::atomic<bool> cancel{false};
    std::atomic<bool> done{false};
    QTextDocument* doc = nullptr;
    std::optional<BusyGuard> busy;
    std::thread worker;

    void run() {
        auto built = std::make_unique<QTextDocument>();
        built->setUndoRedoEnabled(false);
        {
            QTextCursor end(built.get());
            const std::u16string_view all = text;
            size_t at = 0;
            while (at < all.size() && !cancel.load(std::memory_order_relaxed)) {
                size_t stop = all.size();
                if (all.size() - at > kPieceSize) {
                    const size_t lineEnd = all.find(u'\n', at + kPieceSize);
                    stop = lineEnd == std::u16string_view::npos ? all.size() : lineEnd + 1;
                }
                end.insertText(
                    QString::fromUtf16(all.data() + at, static_cast<qsizetype>(stop - at)));
                at = stop;
            }
        }
        text = std::u16string();
        // The view lays out every block when it takes the document; each
        // block's layout object is made here rather than then.
        size_t count = 0;
        for (QTextBlock block = built->begin();
             block.isValid() && (++count % 4096 != 0 || !cancel.load(std::memory_order_relaxed));
             block = block.next()) {
            block.layout();
        }
        if (!cancel.load(std::memory_order_relaxed)) {
            // Only the thread an object lives in may hand it on.
            built->moveToThread(home);
            doc = built.release();
        }
        done.store(true, std::memory_order_release);
    }
};

QString cp932ToQString(std::string_view bytes) {
    const std::u16string text = decodeCp932Exact(bytes);
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::string qStringToCp932(QStringView text) {
    return encodeCp932Exact(std::u16string_view(text.utf16(), static_cast<size_t>(text.size())));
}

QFont viewFont() {
    // IPA Gothic gives a double-byte character exactly two columns, so the
    // tables stay aligned as their byte columns are.
    QFont font = pixelFont(QStringLiteral("IPAGothic"), QFontDatabase::FixedFont);
    font.setFixedPitch(true);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

QFont windowFont() {
    return pixelFont(QStringLiteral("IPAPGothic"), QFontDatabase::GeneralFont);
}

TextView::TextView(const QString& initialText, QWidget* parent) : QPlainTextEdit(parent) {
    setFont(viewFont());
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setWordWrapMode(QTextOption::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setPlainText(initialText);
    buildPoll_.setInterval(10);
    connect(&buildPoll_, &QTimer::timeout, this, [this] {
        if (!build_ || filling_ || !build_->done.load(std::memory_order_acquire)) {
            return;
        }
        if (isVisible()) {
            adoptBuild();
        } else {
            // A view hidden meanwhile takes its document (and the pause of its
            // layout) when shown; until then it blocks nothing.
            build_->busy.reset();
            buildPoll_.stop();
        }
    });
}

TextView::~TextView() {
    cancelBuild();
}

void TextView::setText(std::u16string text) {
    if (text.size() >= kPiecewiseSize) {
        // During a long load a visible view takes its document when it is
        // ready, so that the load goes on meanwhile.
        const bool now = isVisible() && !BusyGuard::active();
        startBuild(std::move(text));
        if (now) {
            fill();
        }
        return;
    }
    cancelBuild();
    setUndoRedoEnabled(false);
    setPlainText(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
    setUndoRedoEnabled(true);
}

void TextView::startBuild(std::u16string text) {
    cancelBuild();
    // A document built before is big: it goes now rather than after the new
    // one is built, so that a view holds one big document at a time.
    if (document()->parent() == this) {
        replaceDocument(new QTextDocument);
    }
    auto build = std::make_unique<Build>();
    build->size = text.size();
    build->text = std::move(text);
    build->home = thread();
    // Input to a visible view would go into the document about to be
    // replaced; a hidden view's build blocks nothing until the view is shown.
    if (isVisible()) {
        build->busy.emplace(this);
    }
    Build* running = build.get();
    build->worker = std::thread([running] { running->run(); });
    build_ = std::move(build);
    buildPoll_.start();
}

void TextView::cancelBuild() {
    if (!build_) {
        return;
    }
    build_->cancel.store(true, std::memory_order_relaxed);
    build_->worker.join();
    delete build_->doc;
    build_.reset();
    buildPoll_.stop();
}

void TextView::fill() {
    // A wait in progress lets the event loop run; a nested call returns, and
    // the outer one takes whatever build is the latest when it ends.
    if (!build_ || filling_) {
        return;
    }
    BusyGuard busy(this);
    filling_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{filling_};
    while (build_) {
        QCoreApplication::processEvents();
        if (build_ && build_->done.load(std::memory_order_acquire)) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    adoptBuild();
}

void TextView::adoptBuild() {
    if (!build_) {
        return;
    }
    build_->worker.join();
    QTextDocument* doc = build_->doc;
    build_->doc = nullptr;
    const size_t size = build_->size;
    buildPoll_.stop();
    if (doc) {
        replaceDocument(doc);
        setUndoRedoEnabled(size < kUndoLimit);
    }
    build_.reset();
}

void TextView::replaceDocument(QTextDocument* doc) {
    // The layout and the view's settings are given here, on the view's thread:
    // a worker lays out nothing and touches no font.
    QTextDocument* old = document();
    const bool ownOld = old->parent() == this;
    doc->setDefaultFont(old->defaultFont());
    doc->setDefaultTextOption(old->defaultTextOption());
    doc->setDocumentMargin(old->documentMargin());
    doc->setDocumentLayout(new QPlainTextDocumentLayout(doc));
    doc->setParent(this);
    setDocument(doc);
    if (ownOld) {
        delete old; // the first document belongs to the edit, which drops it itself
    }
}

void TextView::showEvent(QShowEvent* event) {
    fill();
    QPlainTextEdit::showEvent(event);
}

void TextView::setLines(const std::vector<std::string>& lines) {
    size_t total = 0;
    for (const std::string& line : lines) {
        total += line.size() + 1;
    }
    std::u16string text;
    text.reserve(total);
    for (const std::string& line : lines) {
        appendDecodedCp932(text, line);
        text.push_back(u'\n');
    }
    setText(std::move(text));
}

std::vector<std::string> TextView::lines() {
    fill();
    std::vector<std::string> result;
    const QTextDocument* doc = document();
    result.reserve(static_cast<size_t>(doc->blockCount()));
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        // QTextBlock::text() keeps every character as stored; the document's
        // plain text would turn non-breaking spaces into blanks.
        result.push_back(qStringToCp932(block.text()));
    }
    if (!result.empty() && result.back().empty()) {
        result.pop_back();
    }
    return result;
}

void TextView::setBytes(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size() + 1);
    forEachLine(bytes, false, [&](std::string_view line) {
        appendDecodedCp932(text, line);
        text.push_back(u'\n');
    });
    setText(std::move(text));
}

void TextView::loadFile(const std::string& fileName) {
    setBytes(readWholeFile(fileName));
}

void TextView::clearText() {
    cancelBuild();
    clear();
}
