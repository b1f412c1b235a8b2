#include "app/Captions.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>

void Captions::add(QObject* owner, const char* source, std::function<void(const QString&)> show) {
    show(translated(source));
    entries_.push_back(Entry{owner, source, std::move(show)});
}

void Captions::text(QAbstractButton* button, const char* source) {
    add(button, source, [button](const QString& t) { button->setText(t); });
}
void Captions::text(QLabel* label, const char* source) {
    add(label, source, [label](const QString& t) { label->setText(t); });
}
void Captions::text(QAction* action, const char* source) {
    add(action, source, [action](const QString& t) { action->setText(t); });
}
void Captions::title(QMenu* menu, const char* source) {
    add(menu, source, [menu](const QString& t) { menu->setTitle(t); });
}
void Captions::title(QWidget* window, const char* source) {
    add(window, source, [window](const QString& t) { window->setWindowTitle(t); });
}
void Captions::toolTip(QWidget* widget, const char* source) {
    add(widget, source, [widget](const QString& t) { widget->setToolTip(t); });
}
void Captions::tab(QTabWidget* tabs, QWidget* page, const char* source) {
    // Found by page, not by index: pages may be added or moved later.
    add(page, source, [tabs, page](const QString& t) { tabs->setTabText(tabs->indexOf(page), t); });
}

void Captions::retranslate() const {
    for (const Entry& entry : entries_) {
        if (entry.owner) {
            entry.show(translated(entry.source));
        }
    }
}

QString Captions::translated(const char* source) const {
    return QCoreApplication::translate(context_, source);
}
