// Classic in-memory dialog templates (DLGTEMPLATE with DLGITEMTEMPLATE items) as 16-bit words.
// Pure: no platform calls.
#pragma once

#include <cstdint>
#include <vector>

// A menu, class or text field of a template: absent, a 16-bit ordinal or a UTF-16 string.
struct TemplateName {
    enum class Kind : uint8_t { Absent, Ordinal, String };
    Kind kind = Kind::Absent;
    uint16_t ordinal = 0;
    const char16_t* text = nullptr;
};

inline TemplateName NameOrdinal(uint16_t ordinal) {
    return {TemplateName::Kind::Ordinal, ordinal, nullptr};
}
inline TemplateName NameString(const char16_t* text) {
    return {TemplateName::Kind::String, 0, text};
}

struct DialogHeader {
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    TemplateName menu;
    TemplateName windowClass;
    const char16_t* title = nullptr;     // null: the empty title
    const char16_t* fontName = nullptr;  // null: no font record (the style lacks DS_SETFONT)
    uint16_t pointSize = 0;
};

struct DialogItem {
    TemplateName windowClass;  // an atom such as 0x0082 (static) or a class name
    TemplateName text;
    uint32_t style = 0;  // WS_CHILD is added
    uint32_t exStyle = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    uint16_t id = 0;
};

// The template's words, ready for DialogBoxIndirectParam: a header whose item count is the
// number of items, then each item on a 32-bit boundary. The byte size is twice the word
// count. Empty when memory is short or there are more items than a template can count.
std::vector<uint16_t> BuildDialogTemplate(const DialogHeader& header,
                                          const std::vector<DialogItem>& items);
