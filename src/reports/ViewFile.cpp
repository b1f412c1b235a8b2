#include "reports/ViewFile.h"

#include "shared/TextFile.h"
#include "shared/UFunction.h"

void WriteViewFile(const std::string& name, const std::vector<std::string>& lines) {
    BackupFile(name);
    TextFileWriter out(name);
    for (const std::string& line : lines) {
        out.writeLine(line);
    }
    // The file ends with an empty line.
    out.write("\r\n");
    out.close();
}
