#include "app/MessageBoxes.h"

#include "app/TextView.h"
#include "shared/CodePage.h"

#include <QApplication>

#include <utility>

namespace {
MessageBoxHook& installedHook() {
    static MessageBoxHook hook;
    return hook;
}
} // namespace

MessageBoxHook setMessageBoxHook(MessageBoxHook hook) {
    return std::exchange(installedHook(), std::move(hook));
}

void showMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
    if (const MessageBoxHook& hook = installedHook()) {
        hook(icon, text);
        return;
    }
    QMessageBox box(icon, QApplication::applicationDisplayName(), text, QMessageBox::Ok, parent);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void showCp932Message(QWidget* parent, const std::string& cp932Text) {
    // CR never occurs inside a double-byte character, so the bytes can be
    // split before decoding.
    showMessageBox(parent, QMessageBox::NoIcon, cp932ToQString(crToLf(cp932Text)));
}

void showErrorBox(QWidget* parent, const std::exception& error) {
    showMessageBox(parent, QMessageBox::Critical, QString::fromUtf8(error.what()));
}
