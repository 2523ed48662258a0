// Fuzz target of the exact-text file codec: any bytes, and bytes packed with markers, are read
// without a fault; the records read are written back for a list of their texts and come back to
// exactly the entries they were written for; UTF-16 survives its trip through UTF-8 unit for unit.
#include "fuzzcheck.h"
#include "store/exactfile.h"
#include "store/textstore.h"

#include <string>
#include <utility>
#include <vector>

namespace {

// Input bytes below 4 become a marker followed by the next four bytes as a small length, so the
// reader meets a false record every few bytes; the others stay as they are.
std::string MarkerDense(std::string_view input) {
    static const char* const kMarkers[] = {"\x1eQXH", "\x1eQX2", "\x1eQX1", "\x1eQX2"};
    std::string out;
    for (size_t i = 0; i < input.size(); ++i) {
        const auto byte = static_cast<unsigned char>(input[i]);
        if (byte >= 4) {
            out += input[i];
            continue;
        }
        out += kMarkers[byte];
        for (int k = 0; k < 4; ++k) out += k < 2 && i + 1 < input.size() ? input[++i] : '\0';
    }
    return out;
}

// The records of bytes as a list holds them: a history of their texts, oldest first, each
// entry carrying its record's form.
void StoreRecords(std::string_view bytes, TextStore& store) {
    ListFingerprint named;
    readExactFingerprint(bytes, named);
    readExactRecords(bytes, named,
                     [&store](uint32_t, std::string_view ansi, std::u16string&& exact) {
                         if (ansi.find('\0') != std::string_view::npos)
                             return;  // no text of a list holds a NUL
                         addText(store, ListKind::History, std::string(ansi).c_str(),
                                 std::make_shared<const std::u16string>(std::move(exact)));
                     });
}

void CheckRoundTrip(std::string_view bytes) {
    TextStore store;
    StoreRecords(bytes, store);
    const TextChain& chain = store.history.chain;
    ListFingerprint listFile;
    FUZZ_CHECK(fingerprintOfTextRecords(chain, listFile));
    std::string written;
    FUZZ_CHECK(
        writeExactFile(exactSnapshot(chain), listFile, [&written](const char* data, size_t n) {
            written.append(data, n);
            return true;
        }));
    std::vector<std::string> texts;
    for (const auto& entry : chain) texts.push_back(entry->text);
    std::vector<ExactText> forms = exactFormsOf(texts, listFile, written);
    FUZZ_CHECK(forms.size() == chain.size());
    for (size_t i = 0; i < forms.size(); ++i) FUZZ_CHECK(forms[i] && *forms[i] == *chain[i]->exact);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckRoundTrip(bytes);
    const std::string dense = MarkerDense(bytes);
    CheckRoundTrip(dense);
    exactFormsOf({"", "?", "??"}, ListFingerprint{}, dense);

    std::u16string units(size / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    std::u16string back;
    FUZZ_CHECK(utf16FromUtf8(utf8FromUtf16(units), back));
    FUZZ_CHECK(back == units);
    return 0;
}
