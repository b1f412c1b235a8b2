// The core's messages in the user's language, from the translation file the
// window and the command-line tool share.

#include "shared/CoreTextLanguage.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string translationFile() {
    std::ifstream in(VELK_SOURCE_DIR "/translations/velkreport_en.ts", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string inEnglish(const std::string& text) {
    static const auto english = readTranslations(translationFile(), kCoreTextContext);
    return translateCoreText(text, [](const char* source) {
        const auto found = english.find(source);
        return found != english.end() ? found->second : std::string("UNTRANSLATED ") + source;
    });
}

} // namespace

TEST(translateCoreText, EveryKindOfMessageReadsInEnglish) {
    EXPECT_EQ(
        inEnglish("データが不正です。\n観測時間が「０」なのにエコー数が記録されています。 \n[ "
                  "a.dat,2020/01/01 00:00:00,5,0,0,0, ]"),
        "Implausible data.\nEchoes are recorded although the observed time is 0. \n[ "
        "a.dat,2020/01/01 00:00:00,5,0,0,0, ]");
    EXPECT_EQ(inEnglish("予想外のエラーが発生しました??"), "An unexpected error occurred.");
    // A label and its value; a line of no label stays.
    EXPECT_EQ(inEnglish("設定内容\n  時差              -9\n            LongFLE False"),
              "Settings\n  UT offset         -9\n            LongFLE False");
    EXPECT_EQ(inEnglish("観測局ファイルがありません: /x/velkreport.station"),
              "No station file: /x/velkreport.station");
    EXPECT_EQ(inEnglish("観測局情報に未入力の項目があります: Observer, City\n"
                        "これらの項目は空欄のままファイルに出力します。"),
              "Station fields not filled in: Observer, City\nThese fields are written empty.");
    EXPECT_EQ(inEnglish("a text of its own"), "a text of its own");
}

TEST(readTranslations, TakesOneContextsFinishedTranslationsUnescaped) {
    const std::string ts = "<TS><context><name>Other</name><message><source>a</source>"
                           "<translation>b</translation></message></context>"
                           "<context><name>CoreText</name>"
                           "<message><source>x &amp; &lt;y&gt;</source>"
                           "<translation>&quot;z&quot;</translation></message>"
                           "<message><source>open</source>"
                           "<translation type=\"unfinished\">half</translation></message>"
                           "</context></TS>";
    const auto read = readTranslations(ts, "CoreText");
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read.at("x & <y>"), "\"z\"");
}

TEST(japaneseLocale, TheFirstVariableSetDecides) {
    EXPECT_TRUE(japaneseLocale(nullptr, nullptr, "ja_JP.UTF-8"));
    EXPECT_FALSE(japaneseLocale("C", nullptr, "ja_JP.UTF-8"));
    EXPECT_TRUE(japaneseLocale("", "ja", "en_US.UTF-8"));
    EXPECT_FALSE(japaneseLocale(nullptr, nullptr, nullptr));
}
