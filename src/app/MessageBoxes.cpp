#include "app/MessageBoxes.h"

#include "app/CoreTexts.h"
#include "app/TextView.h"
#include "shared/CodePage.h"
#include "shared/IoError.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <utility>

namespace {
MessageBoxHook& installedHook() {
    static MessageBoxHook hook;
    return hook;
}

StopOfferHook& installedStopOfferHook() {
    static StopOfferHook hook;
    return hook;
}

QuestionHook& installedQuestionHook() {
    static QuestionHook hook;
    return hook;
}

QString operationText(FileOperation operation) {
    switch (operation) {
    case FileOperation::Open:
        return QCoreApplication::translate("MessageBoxes", "開けません");
    case FileOperation::Read:
        return QCoreApplication::translate("MessageBoxes", "読み込めません");
    case FileOperation::Create:
        return QCoreApplication::translate("MessageBoxes", "作成できません");
    case FileOperation::Write:
        return QCoreApplication::translate("MessageBoxes", "書き込めません");
    case FileOperation::ChangeFolder:
        return QCoreApplication::translate("MessageBoxes", "フォルダを移動できません");
    }
    return QCoreApplication::translate("MessageBoxes", "使えません");
}

QString causeText(const IoError& error) {
    switch (error.errorNumber()) {
    case 0:
        return error.detail().empty() ? QCoreApplication::translate("MessageBoxes", "不明")
                                      : QString::fromUtf8(error.detail());
    case EACCES:
    case EPERM:
        return QCoreApplication::translate("MessageBoxes", "アクセスが許可されていません");
    case ENOENT:
        return QCoreApplication::translate("MessageBoxes", "ファイルまたはフォルダがありません");
    case ENOTDIR:
        return QCoreApplication::translate("MessageBoxes",
                                           "パスの途中にフォルダでないものがあります");
    case EISDIR:
        return QCoreApplication::translate("MessageBoxes", "同じ名前のフォルダがあります");
    case ENOSPC:
        return QCoreApplication::translate("MessageBoxes", "ディスクの空きがありません");
    case EDQUOT:
        return QCoreApplication::translate("MessageBoxes", "ディスクの使用量の上限に達しました");
    case EROFS:
        return QCoreApplication::translate("MessageBoxes", "読み取り専用の場所です");
    case ENAMETOOLONG:
        return QCoreApplication::translate("MessageBoxes", "名前が長すぎます");
    case EMFILE:
    case ENFILE:
        return QCoreApplication::translate("MessageBoxes", "開いているファイルが多すぎます");
    case EIO:
        return QCoreApplication::translate("MessageBoxes", "入出力エラーが起きました");
    case EBADF:
        return QCoreApplication::translate("MessageBoxes", "ファイルはすでに閉じられています");
    default:
        return QCoreApplication::translate("MessageBoxes", "エラー %1 (%2)")
            .arg(error.errorNumber())
            .arg(QString::fromLocal8Bit(std::strerror(error.errorNumber())));
    }
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
    showMessageBox(parent, QMessageBox::NoIcon, coreTextForDisplay(cp932Text));
}

StopOfferHook setStopOfferHook(StopOfferHook hook) {
    return std::exchange(installedStopOfferHook(), std::move(hook));
}

bool showCp932MessageOfferingToStop(QWidget* parent, const std::string& cp932Text) {
    return showMessageOfferingToStop(parent, coreTextForDisplay(cp932Text));
}

bool showMessageOfferingToStop(QWidget* parent, const QString& text) {
    if (const MessageBoxHook& hook = installedHook()) {
        hook(QMessageBox::NoIcon, text);
        const StopOfferHook& answer = installedStopOfferHook();
        return answer && answer(text);
    }
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, parent);
    box.setWindowModality(Qt::ApplicationModal);
    // A file of a million such lines must not need a million clicks.
    auto* stop = new QCheckBox(
        QCoreApplication::translate("MessageBoxes", "この処理の残りのメッセージを表示しない"),
        &box);
    box.setCheckBox(stop);
    box.exec();
    return stop->isChecked();
}

QuestionHook setQuestionHook(QuestionHook hook) {
    return std::exchange(installedQuestionHook(), std::move(hook));
}

QMessageBox::StandardButton askQuestion(QWidget* parent, const QString& text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) {
    if (const MessageBoxHook& hook = installedHook()) {
        hook(QMessageBox::Question, text);
        const QuestionHook& answer = installedQuestionHook();
        return answer ? answer(text) : defaultButton;
    }
    QMessageBox box(QMessageBox::Question, QApplication::applicationDisplayName(), text, buttons,
                    parent);
    box.setDefaultButton(defaultButton);
    box.setWindowModality(Qt::ApplicationModal);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString errorMessageText(const std::exception& error) {
    const auto* io = dynamic_cast<const IoError*>(&error);
    if (!io || !io->operation()) {
        return QString::fromUtf8(error.what());
    }
    return QCoreApplication::translate("MessageBoxes", "ファイル「%1」を%2。\n原因: %3")
        .arg(QFile::decodeName(QByteArray::fromStdString(io->fullPath())),
             operationText(*io->operation()), causeText(*io));
}

void showErrorBox(QWidget* parent, const std::exception& error) {
    showMessageBox(parent, QMessageBox::Critical, errorMessageText(error));
}
