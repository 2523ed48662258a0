// Fuzz target of the command-line splitter: the table is well formed, no argument grows beyond
// the line, and quoted plain paths split back into themselves.
#include "app/cmdline.h"
#include "fuzzcheck.h"

#include <vector>

namespace {

std::vector<std::string> Split(const std::string& line) {
    ArgumentVector args;
    FUZZ_CHECK(SplitCommandLine(line.c_str(), args));
    FUZZ_CHECK(args.argc >= 1);
    FUZZ_CHECK(args.argv[args.argc] == nullptr);
    std::vector<std::string> out;
    size_t total = 0;
    for (int i = 0; i < args.argc; ++i) {
        FUZZ_CHECK(args.argv[i] != nullptr);
        out.emplace_back(args.argv[i]);
        total += out.back().size();
    }
    // Quotes and separators are dropped, escapes halve backslashes: nothing is ever added.
    FUZZ_CHECK(total <= line.size());
    return out;
}

// A path comes back from its quoted form when nothing in it can end the quotes: no quote,
// no backslash or lone lead byte right before the closing one.
bool SurvivesQuoting(const std::string& arg) {
    if (arg.find('"') != std::string::npos) return false;
    if (arg.empty()) return true;
    if (arg.back() == '\\') return false;
    return !(fuzz::IsLead(arg.back()) && fuzz::IsCharBoundary(arg, arg.size() - 1));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Reader in(data, size);
    std::vector<std::string> args = Split(in.Text());

    std::vector<std::string> paths(args.begin() + 1, args.end());
    for (const std::string& path : paths)
        if (!SurvivesQuoting(path)) return 0;
    std::vector<std::string> again = Split("prog " + JoinQuotedPaths(paths));
    FUZZ_CHECK(again.size() == paths.size() + 1);
    for (size_t i = 0; i < paths.size(); ++i) FUZZ_CHECK(again[i + 1] == paths[i]);
    return 0;
}
