#pragma once
// Every message box of the window goes through here: the core's messages (code
// page 932, lines separated by CR), the error box for a failed action, and the
// window's own notes. Tests install a hook that records the boxes instead of
// showing them.

#include <QMessageBox>
#include <QString>

#include <exception>
#include <functional>
#include <string>

using MessageBoxHook = std::function<void(QMessageBox::Icon icon, const QString& text)>;

// Installs the hook and returns the one it replaces; an empty hook shows boxes.
MessageBoxHook setMessageBoxHook(MessageBoxHook hook);

// A modal box over parent; the user closes it with OK.
void showMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text);
// A core message: decoded exactly, each CR (or CR LF) made a line break.
void showCp932Message(QWidget* parent, const std::string& cp932Text);
// A core message whose box offers to stop showing the rest of the current
// run's messages; true when the user took that offer. Tests answer through
// the stop hook (no hook: never taken).
bool showCp932MessageOfferingToStop(QWidget* parent, const std::string& cp932Text);
bool showMessageOfferingToStop(QWidget* parent, const QString& text);
using StopOfferHook = std::function<bool(const QString& text)>;
StopOfferHook setStopOfferHook(StopOfferHook hook);

// A question with the buttons given; returns the one clicked (Escape: the
// escape button Qt picks). Tests answer through the question hook; with only
// the box hook installed, the default button is taken.
QMessageBox::StandardButton askQuestion(QWidget* parent, const QString& text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton);
using QuestionHook = std::function<QMessageBox::StandardButton(const QString& text)>;
QuestionHook setQuestionHook(QuestionHook hook);

// The window's text for a failed action: for a failed file operation Japanese,
// naming the full path and the cause; for anything else the error's UTF-8 message.
QString errorMessageText(const std::exception& error);
// The box for an action that failed, with that text.
void showErrorBox(QWidget* parent, const std::exception& error);
