// Fuzz target of the .hst/.use codec: decoding in pieces of any size gives the same texts as in
// one piece, encoding gives them back byte for byte, and a list loaded through the store, saved
// and loaded again is the same list; the temporary of a save lies beside its file.
#include "fuzzcheck.h"
#include "store/textfile.h"
#include "store/textstore.h"

#include <vector>

namespace {

std::vector<std::string> Decode(const std::string& bytes, const std::vector<size_t>& pieces) {
    std::vector<std::string> texts;
    TextRecordSink sink = [&texts](const std::string& text) { texts.push_back(text); };
    TextRecordDecoder decoder;
    size_t at = 0;
    for (size_t piece : pieces) {
        if (at >= bytes.size()) break;
        size_t n = std::min(piece, bytes.size() - at);
        feedTextRecords(decoder, bytes.data() + at, n, sink);
        at += n;
    }
    if (at < bytes.size()) feedTextRecords(decoder, bytes.data() + at, bytes.size() - at, sink);
    finishTextRecords(decoder, sink);
    return texts;
}

// The file bytes of texts, written byte by byte: the plain model the fast encoder must match.
std::string Encode(const std::vector<std::string>& texts) {
    std::string bytes;
    for (const std::string& text : texts) {
        for (char c : text) {
            if (c == '\n') bytes.push_back('\r');
            bytes.push_back(c);
        }
        bytes.push_back('\0');
    }
    return bytes;
}

// The list's texts in file order (oldest first).
std::vector<std::string> ListTexts(const TextStore& store) {
    std::vector<std::string> texts;
    for (int i = listCount(store, ListKind::RegisteredTexts) - 1; i >= 0; --i)
        texts.emplace_back(textOfId(store, idAt(store, ListKind::RegisteredTexts, i)));
    return texts;
}

// The bytes a save of the list writes, in the blocks it hands out.
std::string SaveBytes(const TextChain& chain) {
    std::string bytes;
    FUZZ_CHECK(writeTextRecords(chain, [&bytes](const char* data, size_t size) {
        FUZZ_CHECK(size > 0);
        bytes.append(data, size);
        return true;
    }));
    // A writer that fails stops the save at once.
    size_t calls = 0;
    const bool whole = writeTextRecords(chain, [&calls](const char*, size_t) {
        ++calls;
        return false;
    });
    FUZZ_CHECK(bytes.empty() ? whole && calls == 0 : !whole && calls == 1);
    return bytes;
}

// A load into the store, then the bytes its save writes.
std::vector<std::string> LoadThroughStore(const std::vector<std::string>& records,
                                          std::string* saved = nullptr) {
    // One store for the whole run: emptying a list must leave it as good as new.
    static TextStore* store = createTextStore();
    FUZZ_CHECK(store != nullptr);
    FUZZ_CHECK(clearList(*store, ListKind::RegisteredTexts));
    for (int id = kFirstTextId; id <= kLastTextId; id += 97)
        FUZZ_CHECK(!isTextIdUsed(store->pool, id));
    for (const std::string& text : records)
        FUZZ_CHECK(addText(*store, ListKind::RegisteredTexts, text.c_str()));
    if (saved) *saved = SaveBytes(store->registered.chain);
    return ListTexts(*store);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Reader in(data, size);
    // The first bytes choose the piece sizes of the second decoding (0 stands for 1).
    std::vector<size_t> pieces;
    for (uint8_t n = in.Byte() % 8; n > 0; --n) pieces.push_back(in.Byte() % 16 + 1);
    const std::string bytes = in.Bytes(in.left());

    const std::vector<std::string> whole = Decode(bytes, {});
    FUZZ_CHECK(Decode(bytes, pieces) == whole);
    for (const std::string& text : whole) FUZZ_CHECK(text.find('\0') == std::string::npos);
    // Every NUL ends one record; bytes after the last NUL make one more.
    size_t nuls = 0;
    for (char c : bytes) nuls += c == '\0';
    const bool tail = !bytes.empty() && bytes.back() != '\0';
    FUZZ_CHECK(whole.size() == nuls + (tail ? 1 : 0));

    const std::string encoded = Encode(whole);
    FUZZ_CHECK(Decode(encoded, {}) == whole);
    FUZZ_CHECK(Encode(Decode(encoded, pieces)) == encoded);

    // Loading keeps each text once, at the place of its last record.
    std::vector<std::string> expected;
    for (const std::string& text : whole) {
        for (auto it = expected.begin(); it != expected.end(); ++it) {
            if (*it != text) continue;
            expected.erase(it);
            break;
        }
        expected.push_back(text);
    }
    std::string saved;
    const std::vector<std::string> loaded = LoadThroughStore(whole, &saved);
    FUZZ_CHECK(loaded == expected);
    FUZZ_CHECK(saved == Encode(loaded));
    FUZZ_CHECK(LoadThroughStore(Decode(saved, pieces)) == loaded);

    // The temporary beside a file: same length and folder, only the last byte changed.
    const std::string path = bytes.substr(0, bytes.find('\0'));
    const std::string temp = tempSiblingPath(path);
    FUZZ_CHECK(temp.size() == path.size());
    if (!path.empty()) {
        FUZZ_CHECK(temp.compare(0, path.size() - 1, path, 0, path.size() - 1) == 0);
        FUZZ_CHECK(temp.back() != path.back() && (temp.back() == '~' || temp.back() == '_'));
    }
    return 0;
}
