// The joined path text of the path-copy mode. Pure.
#pragma once

#include <string>
#include <vector>

// Each path in double quotes, separated by one blank; empty for no paths.
std::u16string JoinQuotedPaths(const std::vector<std::u16string>& paths);
