#pragma once
// The backup rule: before an output file is written anew, the previous one is
// kept under the same name with the extension ".bak".

#include <string>

// The backup name of a file: its extension replaced by ".bak", or ".bak"
// appended.
std::string backupFileName(const std::string& name);
// Moves an existing file aside to its backup name, deleting an older backup
// first. Does nothing when no such file (a directory does not count) exists.
// Failures are ignored: the caller's own create then fails or overwrites.
void backupFile(const std::string& name);
