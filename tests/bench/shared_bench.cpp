// The shared folder's merge: two machines' files of 1,000 registered texts each (half of them
// the same texts), read and merged into one list as an exchange does. Prints p50 and p99 in ms
// and the size of one file.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "sync/sharedfile.h"
#include "sync/sharedstate.h"

namespace {

constexpr int kTexts = 1000;
constexpr int kRuns = 200;

// A machine's file: texts of about 100 bytes, every other one also registered on the other.
std::string FileOf(uint64_t machine) {
    std::vector<LocalText> list;
    for (int i = 0; i < kTexts; ++i) {
        int serial = i % 2 ? i : i + static_cast<int>(machine) * kTexts;
        std::string text = "registered text " + std::to_string(serial) + "\r\n";
        while (text.size() < 100) text += "signature line ";
        list.push_back({text, {}});
    }
    SharedState view;
    recordLocalList(view, list, machine, 1800000000);
    return encodeSharedFile({machine, 1800000000, "PC", view, {}});
}

}  // namespace

int main() {
    const std::string files[] = {FileOf(1), FileOf(2)};
    std::vector<double> ms;
    size_t live = 0;
    for (int run = 0; run < kRuns; ++run) {
        auto start = std::chrono::steady_clock::now();
        SharedState merged;
        for (const std::string& bytes : files) {
            SharedFile file;
            if (parseSharedFile(bytes, file) != SharedFileRead::Read) return 1;
            mergeState(merged, file.state);
        }
        live = liveTexts(merged).size();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf(
        "shared folder: 2 x %d texts read and merged into %zu: p50 %.2f ms, p99 %.2f ms; "
        "one file %zu bytes\n",
        kTexts, live, ms[ms.size() / 2], ms[ms.size() * 99 / 100], files[0].size());
    return 0;
}
