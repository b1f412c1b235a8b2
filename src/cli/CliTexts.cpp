#include "CliTexts.h"

#include "shared/CoreTextLanguage.h"

#include <cstdlib>
#include <map>

// The window's translation file, generated into the build (EmbedText.cmake).
extern const char kEnglishTranslationFile[];

namespace {

bool japanese() {
    static const bool is =
        japaneseLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
    return is;
}

const std::map<std::string, std::string>& english() {
    static const std::map<std::string, std::string> translations =
        readTranslations(kEnglishTranslationFile, kCoreTextContext);
    return translations;
}

} // namespace

std::string cliText(const std::string& japaneseText) {
    if (japanese()) {
        return japaneseText;
    }
    return translateCoreText(japaneseText, [](const char* source) {
        const auto found = english().find(source);
        return found != english().end() ? found->second : std::string(source);
    });
}
