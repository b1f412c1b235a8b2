#pragma once
// File-name helpers shared by the backup rule, the settings file and the
// station file.

#include <string>
#include <string_view>

// The name with its extension (from the last "." after the last folder
// separator) replaced by the given one, or the extension appended when the
// name has none. "\" and ":" count as separators besides "/", since observers
// bring names from other systems.
std::string replaceExtension(std::string_view name, std::string_view extension);
