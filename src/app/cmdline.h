// Command-line splitting and the joined path text of the path-copy mode. Pure.
#pragma once

#include <memory>
#include <string>
#include <vector>

// argc arguments (the program name included) and argv with a null entry at index argc. The
// pointer table and the strings share one block, released as a whole.
struct ArgumentVector {
    int argc = 0;
    char** argv = nullptr;
    std::unique_ptr<char[]> block;
};

// Splits a command line by the program's rules: blanks and tabs separate, double quotes group,
// backslashes escape only before a double quote, double-byte characters are never split or
// taken for a separator. Counts in a first pass, writes in a second. False when memory runs out.
bool SplitCommandLine(const char* line, ArgumentVector& out);

// Each path in double quotes, separated by one blank; empty for no paths.
std::string JoinQuotedPaths(const std::vector<std::string>& paths);
