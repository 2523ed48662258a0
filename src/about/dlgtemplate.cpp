// Serialiser of classic in-memory dialog templates: one pass counts, one pass writes.
#include "about/dlgtemplate.h"

#include <cstddef>
#include <new>

namespace {

constexpr uint32_t kChildStyle = 0x40000000;  // WS_CHILD
constexpr uint16_t kOrdinalMark = 0xFFFF;

// Counts words; writes them too when given a buffer of the counted size.
class WordWriter {
public:
    explicit WordWriter(uint16_t* out) : out_(out) {}
    size_t count() const { return count_; }

    void word(uint16_t value) {
        if (out_) out_[count_] = value;
        ++count_;
    }
    void dword(uint32_t value) {  // low word first: the template's little-endian DWORD
        word(static_cast<uint16_t>(value & 0xFFFF));
        word(static_cast<uint16_t>(value >> 16));
    }
    void string(const char16_t* text) {
        for (; text && *text; ++text) word(static_cast<uint16_t>(*text));
        word(0);
    }
    // Absent and a null string are both one word 0 (the empty string).
    void name(const TemplateName& name) {
        if (name.kind == TemplateName::Kind::Ordinal) {
            word(kOrdinalMark);
            word(name.ordinal);
        } else {
            string(name.kind == TemplateName::Kind::String ? name.text : nullptr);
        }
    }
    void alignToDword() {
        if (count_ % 2 != 0) word(0);
    }

private:
    uint16_t* out_;
    size_t count_ = 0;
};

size_t Serialize(const DialogHeader& header, const std::vector<DialogItem>& items, uint16_t* out) {
    WordWriter w(out);
    w.dword(header.style);
    w.dword(header.exStyle);
    w.word(static_cast<uint16_t>(items.size()));
    for (int16_t v : {header.x, header.y, header.cx, header.cy}) w.word(static_cast<uint16_t>(v));
    w.name(header.menu);
    w.name(header.windowClass);
    w.string(header.title);
    if (header.fontName) {
        w.word(header.pointSize);
        w.string(header.fontName);
    }
    for (const DialogItem& item : items) {
        w.alignToDword();
        w.dword(item.style | kChildStyle);
        w.dword(item.exStyle);
        for (int16_t v : {item.x, item.y, item.cx, item.cy}) w.word(static_cast<uint16_t>(v));
        w.word(item.id);
        w.name(item.windowClass);
        w.name(item.text);
        w.word(0);  // no creation data
    }
    w.alignToDword();
    return w.count();
}

}  // namespace

std::vector<uint16_t> BuildDialogTemplate(const DialogHeader& header,
                                          const std::vector<DialogItem>& items) {
    std::vector<uint16_t> words;
    if (items.size() > 0xFFFF) return words;
    try {
        words.resize(Serialize(header, items, nullptr));
    } catch (const std::bad_alloc&) {
        return {};
    }
    Serialize(header, items, words.data());
    return words;
}
