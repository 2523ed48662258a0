// The order of a list's two file writes and the reading of the pair.
#include "store/listpair.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <utility>

namespace {

FileContent TextsOf(const TextChain& chain) {
    return [&chain](const ByteWriter& write) { return writeTextRecords(chain, write); };
}

// Whether the exact file left in place after a failed write names this list file.
bool StaleExactMatches(const ListFileOps& ops, const ListFingerprint& listFile) {
    std::string head;
    ListFingerprint named;
    return ops.readExactHead(head) && readExactFingerprint(head, named) && named == listFile;
}

// The exact forms to write; nothing when there was no memory for them.
std::optional<ExactSnapshot> SnapshotOf(const TextChain& chain) {
    try {
        return exactSnapshot(chain);
    } catch (const std::exception&) {  // bad_alloc
        return std::nullopt;
    }
}

}  // namespace

ListSave saveListFiles(const TextChain& chain, const ListFileOps& ops) {
    bool exactSaved = true;
    if (ops.replaceExact) {
        const std::optional<ExactSnapshot> records = SnapshotOf(chain);
        // No exact text, no file: texts that fit the code page cost no bytes there, and no pass
        // over the list for its fingerprint either, unless the old file could not be removed.
        const bool noForms = records && records->empty();
        if (!(noForms && ops.removeExact())) {
            ListFingerprint listFile;
            // Without the fingerprint nothing tells whether the old exact file would fit.
            if (!fingerprintOfTextRecords(chain, listFile)) return ListSave::Held;
            exactSaved = records && !noForms && ops.replaceExact([&](const ByteWriter& write) {
                return writeExactFile(*records, listFile, write);
            });
            // An unreadable stale file is not held against the texts, which matter more than
            // forms.
            if (!exactSaved && StaleExactMatches(ops, listFile)) return ListSave::Held;
        }
    }
    if (!ops.replaceTexts(TextsOf(chain))) return ListSave::TextsNotSaved;
    return exactSaved ? ListSave::Saved : ListSave::ExactNotSaved;
}

namespace {

// A record the decoder dropped keeps its place, so that the places after it still name their
// own records.
void TakeText(ListFileReader& reader, std::string& text) {
    if (reader.shortOfMemory) return;
    try {
        while (reader.texts.size() < reader.decoder.ended) {
            reader.dropped.push_back(reader.texts.size());
            reader.texts.emplace_back();
        }
        reader.texts.push_back(std::move(text));
    } catch (const std::exception&) {  // bad_alloc
        reader.shortOfMemory = true;
    }
}

}  // namespace

void feedListFile(ListFileReader& reader, const char* data, size_t size) {
    extendFingerprint(reader.fingerprint, std::string_view(data, size));
    feedTextRecords(reader.decoder, data, size,
                    [&reader](std::string& text) { TakeText(reader, text); });
}

void finishListFile(ListFileReader& reader) {
    finishTextRecords(reader.decoder, [&reader](std::string& text) { TakeText(reader, text); });
}

void addListTexts(TextStore& store, ListKind kind, ListFileReader& reader,
                  std::string_view exactFile) {
    std::vector<ExactText> forms;
    if (!exactFile.empty()) forms = exactFormsOf(reader.texts, reader.fingerprint, exactFile);
    auto dropped = reader.dropped.begin();
    for (size_t i = 0; i < reader.texts.size(); ++i) {
        if (dropped != reader.dropped.end() && *dropped == i) {
            ++dropped;
            continue;
        }
        addText(store, kind, std::move(reader.texts[i]), forms.empty() ? nullptr : forms[i]);
    }
    reader.texts.clear();
}
