#include "app/CoreTexts.h"

#include "app/TextView.h"

#include <QCoreApplication>

#include <array>

namespace {

constexpr const char* kContext = "CoreText";

// Whole messages, as the core writes them.
constexpr std::array kWholeTexts = {
    QT_TRANSLATE_NOOP("CoreText", "設定ファイルの中身が違います。\nデフォルト値を設定しました。"),
    QT_TRANSLATE_NOOP("CoreText", "予想外のエラーが発生しました??"),
};

// The start of the implausible-line message; the line itself follows.
constexpr const char* kImplausiblePrefix = QT_TRANSLATE_NOOP(
    "CoreText", "データが不正です。\n観測時間が「０」なのにエコー数が記録されています。 \n[ ");

// Labels of the settings display; each line is a label and maybe a value.
constexpr std::array kSettingsLabels = {
    QT_TRANSLATE_NOOP("CoreText", "設定内容"),
    QT_TRANSLATE_NOOP("CoreText", "設定ファイル名      "),
    QT_TRANSLATE_NOOP("CoreText", "ロングエコーの継続時間"),
    QT_TRANSLATE_NOOP("CoreText", "       Long を出力  "),
    QT_TRANSLATE_NOOP("CoreText", "       Otherを出力  "),
    QT_TRANSLATE_NOOP("CoreText", "       HR出集計する "),
    QT_TRANSLATE_NOOP("CoreText", "          破棄する  "),
    QT_TRANSLATE_NOOP("CoreText", "       1行目の出力  "),
    QT_TRANSLATE_NOOP("CoreText", "  常にファイル出力  "),
    QT_TRANSLATE_NOOP("CoreText", "  Long Echo   出力  "),
    QT_TRANSLATE_NOOP("CoreText", "  Other DATA  出力  "),
    QT_TRANSLATE_NOOP("CoreText", "  時差              "),
};

QString translated(const char* source) {
    return QCoreApplication::translate(kContext, source);
}

} // namespace

QString coreTextForDisplay(const std::string& cp932Text) {
    QString text = cp932ToQString(cp932Text);
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (const char* source : kWholeTexts) {
        if (text == QString::fromUtf8(source)) {
            return translated(source);
        }
    }
    if (const QString prefix = QString::fromUtf8(kImplausiblePrefix); text.startsWith(prefix)) {
        return translated(kImplausiblePrefix) + text.mid(prefix.size());
    }
    if (text.startsWith(QString::fromUtf8(kSettingsLabels[0]))) {
        QStringList lines = text.split(QLatin1Char('\n'));
        for (QString& line : lines) {
            for (const char* label : kSettingsLabels) {
                if (const QString source = QString::fromUtf8(label); line.startsWith(source)) {
                    line = translated(label) + line.mid(source.size());
                    break;
                }
            }
        }
        return lines.join(QLatin1Char('\n'));
    }
    return text;
}
