// Command-line splitting and path joining.
#include "app/cmdline.h"

#include <cstring>
#include <new>

#include "TOOLS/tooltext.h"

namespace {

// One pass of the splitter. With no block it only counts; with a block it writes the pointer
// table and the strings. Both passes run the same code, so their sizes always agree.
class SplitPass {
public:
    SplitPass(char** table, char* text) : table_(table), text_(text) {}

    void Run(const char* line) {
        const char* p = line;
        p = ProgramName(p);
        for (;;) {
            while (*p == ' ' || *p == '\t') ++p;
            if (*p == '\0') break;
            p = Argument(p);
        }
        if (table_) table_[argc_] = nullptr;
    }

    int argc() const { return argc_; }
    size_t textBytes() const { return textBytes_; }

private:
    void Begin() {
        if (table_) table_[argc_] = text_ + textBytes_;
    }
    void Put(char c) {
        if (text_) text_[textBytes_] = c;
        ++textBytes_;
    }
    void End() {
        Put('\0');
        ++argc_;
    }
    // Copies the character at p (both bytes of a double-byte character); returns what follows.
    const char* PutChar(const char* p) {
        size_t len = tooltext::CharLength(p);
        for (size_t i = 0; i < len; ++i) Put(p[i]);
        return p + len;
    }

    const char* ProgramName(const char* p) {
        Begin();
        if (*p == '"') {
            ++p;
            while (*p != '\0' && *p != '"') p = PutChar(p);
            if (*p == '"') ++p;
        } else {
            while (*p != '\0' && *p != ' ' && *p != '\t') p = PutChar(p);
        }
        End();
        return p;
    }

    const char* Argument(const char* p) {
        Begin();
        bool quoted = false;
        for (;;) {
            size_t backslashes = 0;
            while (*p == '\\') {
                ++backslashes;
                ++p;
            }
            if (*p == '"') {
                for (size_t i = 0; i < backslashes / 2; ++i) Put('\\');
                if (backslashes % 2 == 0) {
                    ++p;
                    if (quoted && *p == '"') Put(*p++);
                    quoted = !quoted;
                } else {
                    Put(*p++);
                }
                continue;
            }
            for (size_t i = 0; i < backslashes; ++i) Put('\\');
            if (*p == '\0' || (!quoted && (*p == ' ' || *p == '\t'))) break;
            p = PutChar(p);
        }
        End();
        return p;
    }

    char** table_;
    char* text_;
    int argc_ = 0;
    size_t textBytes_ = 0;
};

}  // namespace

bool SplitCommandLine(const char* line, ArgumentVector& out) {
    SplitPass counting(nullptr, nullptr);
    counting.Run(line);
    size_t tableBytes = (static_cast<size_t>(counting.argc()) + 1) * sizeof(char*);
    std::unique_ptr<char[]> block(new (std::nothrow) char[tableBytes + counting.textBytes()]);
    if (!block) return false;
    char** table = reinterpret_cast<char**>(block.get());
    SplitPass writing(table, block.get() + tableBytes);
    writing.Run(line);
    out.argc = writing.argc();
    out.argv = table;
    out.block = std::move(block);
    return true;
}

std::string JoinQuotedPaths(const std::vector<std::string>& paths) {
    size_t length = 0;
    for (const std::string& path : paths) length += path.size() + 3;
    std::string joined;
    joined.reserve(length);
    for (const std::string& path : paths) {
        if (!joined.empty()) joined += ' ';
        joined += '"';
        joined += path;
        joined += '"';
    }
    return joined;
}
