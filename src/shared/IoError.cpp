#include "shared/IoError.h"

#include <cstring>
#include <filesystem>

namespace {

const char* englishOperation(FileOperation operation) {
    switch (operation) {
    case FileOperation::Open:
        return "Cannot open";
    case FileOperation::Read:
        return "Cannot read";
    case FileOperation::Create:
        return "Cannot create";
    case FileOperation::Write:
        return "Cannot write";
    case FileOperation::ChangeFolder:
        return "Cannot change to folder";
    }
    return "Cannot use";
}

std::string englishMessage(FileOperation operation, const std::string& fileName, int errorNumber,
                           const std::string& detail) {
    std::string message = englishOperation(operation);
    message += " '" + fileName + "'";
    if (errorNumber != 0) {
        message += ": ";
        message += std::strerror(errorNumber);
    } else if (!detail.empty()) {
        message += ": " + detail;
    }
    return message;
}

std::string absolutePath(const std::string& fileName) {
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(fileName, ec);
    return ec ? fileName : full.lexically_normal().string();
}

} // namespace

IoError::IoError(FileOperation operation, const std::string& fileName, int errorNumber,
                 const std::string& detail)
    : std::runtime_error(englishMessage(operation, fileName, errorNumber, detail)),
      operation_(operation), fullPath_(absolutePath(fileName)), errorNumber_(errorNumber),
      detail_(detail) {}

void throwIoError(FileOperation operation, const std::string& fileName, int errorNumber) {
    throw IoError(operation, fileName, errorNumber);
}
