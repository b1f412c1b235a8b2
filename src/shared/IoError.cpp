#include "shared/IoError.h"

#include <cstring>

void throwIoError(const std::string& what, const std::string& fileName, int err) {
    std::string message = what + " '" + fileName + "'";
    if (err != 0) {
        message += ": ";
        message += std::strerror(err);
    }
    throw IoError(message);
}
