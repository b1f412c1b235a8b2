#pragma once
// Failures that end the current action. The message is UTF-8 text meant for a
// person: it names the file and the cause. The window shows it in a message box,
// the command-line tool prints it and exits with status 1.

#include <stdexcept>
#include <string>

class IoError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Builds "what 'file': cause" from the current errno.
[[noreturn]] void throwIoError(const std::string& what, const std::string& fileName, int err);
