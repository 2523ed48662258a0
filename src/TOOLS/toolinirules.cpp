// Settings files in any encoding a user's editor writes.
#include "TOOLS/toolinirules.h"

#include <vector>

#include "TOOLS/tooltext.h"

namespace {

bool StartsWith(std::string_view bytes, std::string_view mark) {
    return bytes.substr(0, mark.size()) == mark;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    a = Trim(a);
    b = Trim(b);
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

// The line at at, without its end; next is where the following line starts.
std::string_view LineAt(std::string_view text, size_t at, size_t& next) {
    size_t end = text.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = text.size();
    next = end;
    if (next < text.size() && text[next] == '\r') ++next;
    if (next < text.size() && text[next] == '\n') ++next;
    return text.substr(at, end - at);
}

// The section a line opens ("[name]"), or false.
bool SectionName(std::string_view line, std::string_view& name) {
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[') return false;
    size_t close = line.find(']');
    if (close == std::string_view::npos) return false;
    name = line.substr(1, close - 1);
    return true;
}

// The key and value of a "key=value" line, or false.
bool KeyValue(std::string_view line, std::string_view& key, std::string_view& value) {
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) return false;
    key = line.substr(0, equals);
    value = Trim(line.substr(equals + 1));
    return true;
}

bool IsKeyLine(std::string_view line, std::string_view key) {
    std::string_view name, value;
    return KeyValue(line, name, value) && SameName(name, key);
}

std::string_view LineEndOf(std::string_view text) {
    return text.find("\r\n") != std::string_view::npos ||
                   text.find('\n') == std::string_view::npos
               ? "\r\n"
               : "\n";
}

void AppendUnits16(std::string& out, char16_t c, bool bigEndian) {
    char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
}

}  // namespace

IniEncoding DetectIniEncoding(std::string_view bytes) {
    if (StartsWith(bytes, "\xEF\xBB\xBF")) return IniEncoding::Utf8Bom;
    if (StartsWith(bytes, "\xFF\xFE")) return IniEncoding::Utf16Le;
    if (StartsWith(bytes, "\xFE\xFF")) return IniEncoding::Utf16Be;
    bool high = false;
    for (char c : bytes) high = high || static_cast<unsigned char>(c) >= 0x80;
    return high && tooltext::IsStrictUtf8(bytes) ? IniEncoding::Utf8 : IniEncoding::ShiftJis;
}

std::string DecodeUtfIni(std::string_view bytes, IniEncoding encoding) {
    if (encoding == IniEncoding::Utf8) return std::string(bytes);
    if (encoding == IniEncoding::Utf8Bom) return std::string(bytes.substr(3));
    const bool big = encoding == IniEncoding::Utf16Be;
    std::u16string text;
    for (size_t at = 2; at + 1 < bytes.size(); at += 2) {
        unsigned first = static_cast<unsigned char>(bytes[at]);
        unsigned second = static_cast<unsigned char>(bytes[at + 1]);
        text += static_cast<char16_t>(big ? first << 8 | second : second << 8 | first);
    }
    return tooltext::Utf8FromWide(text);
}

std::string EncodeUtfIni(std::string_view text, IniEncoding encoding) {
    if (encoding == IniEncoding::Utf8) return std::string(text);
    if (encoding == IniEncoding::Utf8Bom) return "\xEF\xBB\xBF" + std::string(text);
    const bool big = encoding == IniEncoding::Utf16Be;
    std::string bytes;
    AppendUnits16(bytes, u'\uFEFF', big);
    for (char16_t c : tooltext::WideFromUtf8(text)) AppendUnits16(bytes, c, big);
    return bytes;
}

bool FindIniValue(std::string_view text, std::string_view section, std::string_view key,
                  std::string& value) {
    bool inSection = false;
    for (size_t at = 0, next = 0; at < text.size(); at = next) {
        std::string_view line = LineAt(text, at, next), name, found;
        if (SectionName(line, name)) {
            inSection = SameName(name, section);
        } else if (inSection && KeyValue(line, name, found) && SameName(name, key)) {
            if (found.size() >= 2 && found.front() == '"' && found.back() == '"')
                found = found.substr(1, found.size() - 2);
            value.assign(found);
            return true;
        }
    }
    return false;
}

std::string SetIniValue(std::string_view text, std::string_view section, std::string_view key,
                        const std::string* value) {
    const std::string_view end = LineEndOf(text);
    std::string newLine;
    if (value) newLine = std::string(key) + '=' + *value + std::string(end);
    std::string out;
    bool inSection = false, sectionSeen = false, written = !value;
    size_t lastFilled = std::string::npos;  // where in out the section's last filled line ends
    for (size_t at = 0, next = 0; at < text.size(); at = next) {
        std::string_view line = LineAt(text, at, next), name;
        if (SectionName(line, name)) {
            if (inSection && !written && lastFilled != std::string::npos) {
                out.insert(lastFilled, newLine);
                written = true;
            }
            inSection = !sectionSeen && SameName(name, section);
            sectionSeen = sectionSeen || inSection;
        } else if (inSection && IsKeyLine(line, key)) {
            if (!written) out += newLine;
            written = true;
            continue;
        }
        out.append(text.substr(at, next - at));
        if (next == at + line.size()) out += end;  // the last line had no end of its own
        if (inSection && !Trim(line).empty()) lastFilled = out.size();
    }
    if (!written && lastFilled != std::string::npos && inSection) {
        out.insert(lastFilled, newLine);
        written = true;
    }
    if (!written) out += '[' + std::string(section) + ']' + std::string(end) + newLine;
    return out;
}
