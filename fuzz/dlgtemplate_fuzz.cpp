// Fuzz target of the in-memory dialog template serialiser: the words are read back the way the
// system reads a DLGTEMPLATE, and every field, name and item comes back; each item starts on a
// 32-bit boundary and the reading ends exactly at the last word.
#include "about/dlgtemplate.h"
#include "fuzzcheck.h"

#include <deque>

namespace {

constexpr uint32_t kSetFont = 0x40;  // DS_SETFONT: the font record follows the title
constexpr uint32_t kChild = 0x40000000;

// Reads words and stops the run on any read past the end.
struct WordReader {
    const std::vector<uint16_t>& words;
    size_t at = 0;

    uint16_t Word() {
        FUZZ_CHECK(at < words.size());
        return words[at++];
    }
    uint32_t Dword() {
        uint32_t low = Word();
        return low | static_cast<uint32_t>(Word()) << 16;
    }
    std::u16string String() {
        std::u16string s;
        for (uint16_t c; (c = Word()) != 0;) s += static_cast<char16_t>(c);
        return s;
    }
    // A name as the system reads it: 0xFFFF and an ordinal, or a string (the empty one for
    // an absent name).
    void Name(const TemplateName& expected) {
        if (expected.kind == TemplateName::Kind::Ordinal) {
            FUZZ_CHECK(Word() == 0xFFFF);
            FUZZ_CHECK(Word() == expected.ordinal);
            return;
        }
        const char16_t* text =
            expected.kind == TemplateName::Kind::String ? expected.text : nullptr;
        FUZZ_CHECK(String() == std::u16string(text ? text : u""));
    }
};

// Strings live in a deque so the pointers the records hold stay valid.
struct Input {
    fuzz::Reader& in;
    std::deque<std::u16string> strings;

    const char16_t* Text() {
        std::u16string s;
        for (size_t n = in.Byte() % 12; n > 0; --n) {
            char16_t c = static_cast<char16_t>(in.U16());
            if (c == 0) break;
            s += c;
        }
        // A string that starts with 0xFFFF reads as an ordinal: no template can hold one.
        if (!s.empty() && s[0] == 0xFFFF) s[0] = u'?';
        strings.push_back(s);
        return strings.back().c_str();
    }
    TemplateName Name() {
        switch (in.Byte() % 3) {
            case 0: return TemplateName{};
            case 1: return NameOrdinal(in.U16());
            default: return NameString(Text());
        }
    }
};

// Styles and rectangle, the fields a header and an item share.
template <typename Record>
void ReadFrame(fuzz::Reader& in, Record& record) {
    record.style = in.U32();
    record.exStyle = in.U32();
    for (int16_t* v : {&record.x, &record.y, &record.cx, &record.cy})
        *v = static_cast<int16_t>(in.U16());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Reader in(data, size);
    Input input{in, {}};
    DialogHeader header;
    ReadFrame(in, header);
    header.menu = input.Name();
    header.windowClass = input.Name();
    header.title = in.Byte() % 2 ? input.Text() : nullptr;
    // The caller's part of the contract: a font name exactly when the style asks for one.
    header.fontName = header.style & kSetFont ? input.Text() : nullptr;
    header.pointSize = in.U16();
    std::vector<DialogItem> items(in.Byte() % 40);
    for (DialogItem& item : items) {
        item.windowClass = input.Name();
        item.text = input.Name();
        ReadFrame(in, item);
        item.id = in.U16();
    }

    const std::vector<uint16_t> words = BuildDialogTemplate(header, items);
    FUZZ_CHECK(!words.empty() && words.size() % 2 == 0);
    WordReader r{words};
    FUZZ_CHECK(r.Dword() == header.style);
    FUZZ_CHECK(r.Dword() == header.exStyle);
    FUZZ_CHECK(r.Word() == items.size());
    for (int16_t v : {header.x, header.y, header.cx, header.cy})
        FUZZ_CHECK(r.Word() == static_cast<uint16_t>(v));
    r.Name(header.menu);
    r.Name(header.windowClass);
    FUZZ_CHECK(r.String() == std::u16string(header.title ? header.title : u""));
    if (header.style & kSetFont) {
        FUZZ_CHECK(r.Word() == header.pointSize);
        FUZZ_CHECK(r.String() == header.fontName);
    }
    for (const DialogItem& item : items) {
        if (r.at % 2) FUZZ_CHECK(r.Word() == 0);
        FUZZ_CHECK(r.Dword() == (item.style | kChild));
        FUZZ_CHECK(r.Dword() == item.exStyle);
        for (int16_t v : {item.x, item.y, item.cx, item.cy})
            FUZZ_CHECK(r.Word() == static_cast<uint16_t>(v));
        FUZZ_CHECK(r.Word() == item.id);
        r.Name(item.windowClass);
        r.Name(item.text);
        FUZZ_CHECK(r.Word() == 0);  // bytes of creation data
    }
    if (r.at % 2) FUZZ_CHECK(r.Word() == 0);
    FUZZ_CHECK(r.at == words.size());
    return 0;
}
