// Helpers of the Windows tests: a private folder that stands in for the executable's folder.
#pragma once

#include <map>
#include <string>

namespace testenv {

// A fresh folder under the system's temporary folder; the module path override points at
// "<folder>\Quillmate.exe" while it lives, so .ini, .hst and .use land inside it.
class TempModuleFolder {
public:
    TempModuleFolder();
    ~TempModuleFolder();
    TempModuleFolder(const TempModuleFolder&) = delete;
    TempModuleFolder& operator=(const TempModuleFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const char* name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Whole file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
// Every file below folder (at any depth) by its path, with its bytes.
std::map<std::string, std::string> ReadTree(const std::string& folder);
bool FileExists(const std::string& path);

// Dispatches the thread's pending messages (timers, posted messages) for about ms.
void PumpMessages(unsigned ms);

}  // namespace testenv
