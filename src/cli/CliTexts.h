#pragma once
// The core's messages as the command-line tool prints them: Japanese under a
// Japanese locale, English otherwise, from the window's own translation file
// built into the tool. Texts are UTF-8, lines separated by "\n".

#include <string>

std::string cliText(const std::string& japaneseText);
