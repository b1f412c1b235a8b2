#include "shared/FileNames.h"

std::string replaceExtension(std::string_view name, std::string_view extension) {
    const std::size_t sep = name.find_last_of("\\:/");
    const std::size_t dot = name.find_last_of('.');
    std::string result(name);
    if (dot != std::string_view::npos && (sep == std::string_view::npos || dot > sep)) {
        result.resize(dot);
    }
    result += extension;
    return result;
}
