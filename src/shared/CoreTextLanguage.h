#pragma once
// The core writes its messages to the user (an implausible line, a settings
// file gone bad, the settings display, the station file's warnings) in
// Japanese, as observers have always read them. Each front end shows them in
// its user's language through here: the window with its Qt translations, the
// command-line tool with the same translations built into it. Texts here are
// UTF-8 with "\n" between lines.
//
// A text is translated as a whole, by the start of its first line (the data
// line follows), or line by line by the start of each (a label and its value,
// a warning and the fields it names); a text that is none of these stays as
// it is.

#include <functional>
#include <map>
#include <string>
#include <string_view>

// Gives the translation of one of the core's Japanese source texts (the
// source itself when there is none).
using CoreTextTranslator = std::function<std::string(const char* source)>;

std::string translateCoreText(const std::string& text, const CoreTextTranslator& translate);

// The finished translations of one context of a Qt translation file (.ts),
// source to translation.
std::map<std::string, std::string> readTranslations(std::string_view tsText,
                                                    std::string_view context);

// The context of the core's texts in the translation file.
inline constexpr const char* kCoreTextContext = "CoreText";

// Whether messages are to be Japanese: the first of LC_ALL, LC_MESSAGES and
// LANG that is set and not empty names a Japanese locale ("ja", "ja_JP.UTF-8").
bool japaneseLocale(const char* lcAll, const char* lcMessages, const char* lang);
