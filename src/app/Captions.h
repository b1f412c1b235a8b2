#pragma once
// The captions of a window that follow the chosen language. Each is given
// once, as its Japanese source text (marked for lupdate with QT_TR_NOOP where
// it is written), and shown translated now and again after every change of
// language; a control deleted since is skipped.

#include <QPointer>
#include <QString>

#include <functional>
#include <vector>

class QAbstractButton;
class QAction;
class QLabel;
class QMenu;
class QTabWidget;
class QWidget;

class Captions {
public:
    explicit Captions(const char* context) : context_(context) {}

    void add(QObject* owner, const char* source, std::function<void(const QString&)> show);
    void text(QAbstractButton* button, const char* source);
    void text(QLabel* label, const char* source);
    void text(QAction* action, const char* source);
    void title(QMenu* menu, const char* source);
    void title(QWidget* window, const char* source);
    void toolTip(QWidget* widget, const char* source);
    void tab(QTabWidget* tabs, QWidget* page, const char* source);

    // Shows every caption in the language now installed.
    void retranslate() const;
    QString translated(const char* source) const;

private:
    struct Entry {
        QPointer<QObject> owner;
        const char* source;
        std::function<void(const QString&)> show;
    };
    const char* context_;
    std::vector<Entry> entries_;
};
