#include "shared/CoreTextLanguage.h"

#include <array>
#include <vector>

// The marks tell Qt's lupdate which texts to put in the translation file; the
// core itself has no Qt, so they give back the text.
#define QT_TRANSLATE_NOOP(context, text) text

namespace {

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

// The station file's warnings: each line starts with one of these, the
// fields' keys (or the file's name) follow.
constexpr std::array kStationWarningStarts = {
    QT_TRANSLATE_NOOP("CoreText", "観測局情報に未入力の項目があります: "),
    QT_TRANSLATE_NOOP("CoreText",
                      "観測局情報の経度・緯度を読めません (例 139.7583、139.7583 E、35 41 20 N): "),
    QT_TRANSLATE_NOOP("CoreText", "これらの項目は空欄のままファイルに出力します。"),
    QT_TRANSLATE_NOOP("CoreText", "月別ファイルの文字コード (Latin-1) で書けない文字があります "
                                  "(ローマ字で入力してください。書けない文字は「?」になります): "),
    QT_TRANSLATE_NOOP("CoreText", "観測局ファイルがありません: "),
};

bool startsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

// Each line that starts with one of starts, that start translated.
template <std::size_t N>
std::string lineStartsTranslated(const std::string& text, const std::array<const char*, N>& starts,
                                 const CoreTextTranslator& translate) {
    std::string out;
    std::size_t begin = 0;
    while (true) {
        const std::size_t end = text.find('\n', begin);
        const std::string_view line =
            std::string_view(text).substr(begin, end == std::string::npos ? end : end - begin);
        bool done = false;
        for (const char* start : starts) {
            if (startsWith(line, start)) {
                out += translate(start);
                out += line.substr(std::string_view(start).size());
                done = true;
                break;
            }
        }
        if (!done) {
            out += line;
        }
        if (end == std::string::npos) {
            return out;
        }
        out += '\n';
        begin = end + 1;
    }
}

std::string unescapeXml(std::string_view text) {
    static constexpr std::array<std::pair<std::string_view, char>, 5> kEntities = {
        {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}}};
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        bool replaced = false;
        if (text[i] == '&') {
            for (const auto& [entity, c] : kEntities) {
                if (startsWith(text.substr(i), entity)) {
                    out += c;
                    i += entity.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) {
            out += text[i++];
        }
    }
    return out;
}

// The text between <tag...> and </tag> from `from` on; npos when none.
std::string_view element(std::string_view text, std::string_view tag, std::size_t& from) {
    const std::string open = "<" + std::string(tag);
    const std::string close = "</" + std::string(tag) + ">";
    const std::size_t start = text.find(open, from);
    if (start == std::string_view::npos) {
        from = std::string_view::npos;
        return {};
    }
    const std::size_t contentStart = text.find('>', start);
    const std::size_t end = text.find(close, contentStart);
    if (contentStart == std::string_view::npos || end == std::string_view::npos) {
        from = std::string_view::npos;
        return {};
    }
    from = end + close.size();
    // An unfinished, vanished or obsolete translation is none.
    const std::string_view attributes = text.substr(start, contentStart - start);
    if (attributes.find("type=") != std::string_view::npos) {
        return {};
    }
    return text.substr(contentStart + 1, end - contentStart - 1);
}

} // namespace

std::string translateCoreText(const std::string& text, const CoreTextTranslator& translate) {
    for (const char* source : kWholeTexts) {
        if (text == source) {
            return translate(source);
        }
    }
    if (startsWith(text, kImplausiblePrefix)) {
        return translate(kImplausiblePrefix) +
               text.substr(std::string_view(kImplausiblePrefix).size());
    }
    if (startsWith(text, kSettingsLabels[0])) {
        return lineStartsTranslated(text, kSettingsLabels, translate);
    }
    for (const char* start : kStationWarningStarts) {
        if (startsWith(text, start)) {
            return lineStartsTranslated(text, kStationWarningStarts, translate);
        }
    }
    return text;
}

std::map<std::string, std::string> readTranslations(std::string_view tsText,
                                                    std::string_view context) {
    std::map<std::string, std::string> translations;
    for (std::size_t at = 0; at != std::string_view::npos;) {
        const std::string_view block = element(tsText, "context", at);
        std::size_t inner = 0;
        if (block.empty() || element(block, "name", inner) != context) {
            continue;
        }
        for (std::size_t m = 0; m != std::string_view::npos;) {
            const std::string_view message = element(block, "message", m);
            std::size_t part = 0;
            const std::string_view source = element(message, "source", part);
            const std::string_view translation = element(message, "translation", part);
            if (!source.empty() && !translation.empty()) {
                translations.emplace(unescapeXml(source), unescapeXml(translation));
            }
        }
    }
    return translations;
}

bool japaneseLocale(const char* lcAll, const char* lcMessages, const char* lang) {
    for (const char* value : {lcAll, lcMessages, lang}) {
        if (value && *value) {
            return startsWith(value, "ja");
        }
    }
    return false;
}
