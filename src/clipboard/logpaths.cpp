// Names of the clipboard log's folders and files.
#include "clipboard/logpaths.h"

#include <cstring>
#include <string>

#include "TOOLS/tooltext.h"

namespace {

// Cuts path into out (kLogPathMax + 1 bytes); true when nothing was cut.
bool CutToLogPath(char* out, const std::string& path) {
    return tooltext::CopyBounded(out, kLogPathMax + 1, path.c_str()) == path.size();
}

bool EndsWithSeparator(const char* folder) {
    size_t len = std::strlen(folder);
    return len > 0 && tooltext::FindLastSeparator(folder) == len - 1;
}

}  // namespace

bool BuildLogPaths(LogPaths* paths, const char* logFolder, const LogTime& time,
                   const char* extension) {
    char name[64];
    std::string path = logFolder;
    if (!EndsWithSeparator(logFolder)) path += '\\';
    tooltext::FormatBounded(name, sizeof name, "%04d-%02d", time.year, time.month);
    bool whole = CutToLogPath(paths->monthFolder, path + name);

    tooltext::FormatBounded(name, sizeof name, "\\%02d", time.day);
    whole = CutToLogPath(paths->dayFolder, paths->monthFolder + std::string(name)) && whole;

    tooltext::FormatBounded(name, sizeof name, "\\%02d%02d%02d", time.hour, time.minute,
                            time.second);
    whole = CutToLogPath(paths->file, paths->dayFolder + (name + std::string(extension))) && whole;
    return whole && logFolder[0] != '\0';
}
