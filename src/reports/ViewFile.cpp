#include "reports/ViewFile.h"

#include "shared/Backup.h"
#include "shared/DateTime.h"
#include "shared/TextFile.h"

void writeViewFile(const std::string& name, const std::vector<std::string>& lines) {
    backupFile(name);
    TextFileWriter out(name);
    for (const std::string& line : lines) {
        out.writeLine(line);
    }
    // The file ends with an empty line.
    out.write("\r\n");
    out.close();
}
