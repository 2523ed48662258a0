// Path joining of the path-copy mode.
#include "app/cmdline.h"

std::u16string JoinQuotedPaths(const std::vector<std::u16string>& paths) {
    size_t length = 0;
    for (const std::u16string& path : paths) length += path.size() + 3;
    std::u16string joined;
    joined.reserve(length);
    for (const std::u16string& path : paths) {
        if (!joined.empty()) joined += u' ';
        joined += u'"';
        joined += path;
        joined += u'"';
    }
    return joined;
}
