#include "shared/Backup.h"

#include "shared/FileNames.h"
#include "shared/TextFile.h"

#include <filesystem>
#include <system_error>

std::string backupFileName(const std::string& name) {
    return replaceExtension(name, ".bak");
}

void backupFile(const std::string& name) {
    if (!fileExists(name)) {
        return;
    }
    const std::string backup = backupFileName(name);
    std::error_code ec;
    if (fileExists(backup) || std::filesystem::is_symlink(backup, ec)) {
        if (!std::filesystem::remove(backup, ec)) {
            return;
        }
    }
    std::filesystem::rename(name, backup, ec);
}
