#pragma once
// Failures that end the current action. The message is UTF-8 text meant for a
// person: it names the file and the cause. The window shows it in a message box,
// the command-line tool prints it and exits with status 1.
//
// A failed file operation also keeps its parts (what was done, the file's full
// path, the cause), so that the window can say the same in its own language.

#include <optional>
#include <stdexcept>
#include <string>

enum class FileOperation { Open, Read, Create, Write, ChangeFolder };

class IoError : public std::runtime_error {
public:
    // A message alone, without parts.
    using std::runtime_error::runtime_error;
    // "Cannot create 'file': cause". The cause is the system error's text when
    // errorNumber is not 0, else detail when that is not empty.
    IoError(FileOperation operation, const std::string& fileName, int errorNumber,
            const std::string& detail = {});

    std::optional<FileOperation> operation() const { return operation_; }
    // The file name made absolute against the current folder when the error arose.
    const std::string& fullPath() const { return fullPath_; }
    int errorNumber() const { return errorNumber_; } // 0 when the cause is no system error
    const std::string& detail() const { return detail_; }

private:
    std::optional<FileOperation> operation_;
    std::string fullPath_;
    int errorNumber_ = 0;
    std::string detail_;
};

// Throws the IoError of a file operation, the cause from errorNumber.
[[noreturn]] void throwIoError(FileOperation operation, const std::string& fileName,
                               int errorNumber);
