// Fuzz target of the exact-text file codec: any bytes are read without a fault, the records read
// are written back and read again unchanged, and UTF-16 survives its trip through UTF-8 unit for
// unit.
#include "fuzzcheck.h"
#include "store/exactfile.h"
#include "store/textstore.h"

#include <utility>
#include <vector>

namespace {

using Records = std::vector<std::pair<std::string, std::u16string>>;

Records Read(std::string_view bytes) {
    Records records;
    readExactRecords(bytes, [&records](std::string_view ansi, std::u16string&& exact) {
        records.emplace_back(std::string(ansi), std::move(exact));
    });
    return records;
}

// The records as a list holds them: one entry per text, the last record of a text winning.
std::string WriteThroughStore(const Records& records, Records& kept) {
    TextStore store;
    for (const auto& [ansi, exact] : records) {
        if (ansi.find('\0') != std::string::npos) continue;  // no text of a list holds a NUL
        addText(store, ListKind::History, ansi.c_str(),
                std::make_shared<const std::u16string>(exact));
    }
    for (const auto& entry : store.history.chain) kept.emplace_back(entry->text, *entry->exact);
    std::string bytes;
    writeExactRecords(exactSnapshot(store.history.chain), [&bytes](const char* data, size_t n) {
        bytes.append(data, n);
        return true;
    });
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Records kept;
    const std::string written = WriteThroughStore(Read(bytes), kept);
    FUZZ_CHECK(Read(written) == kept);

    std::u16string units(size / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    std::u16string back;
    FUZZ_CHECK(utf16FromUtf8(utf8FromUtf16(units), back));
    FUZZ_CHECK(back == units);
    return 0;
}
