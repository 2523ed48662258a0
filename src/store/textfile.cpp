// Reading and writing the history and registered-text files.
#include "store/textfile.h"

#include <cstdio>
#include <exception>
#include <new>

namespace {

constexpr size_t kIoChunk = 64 * 1024;

// A record that cannot get its memory is dropped whole: a split would invent texts.
void dropRecord(TextRecordDecoder& decoder) {
    std::string().swap(decoder.record);
    decoder.skipping = true;
}

void appendBytes(TextRecordDecoder& decoder, const char* bytes, size_t size) {
    if (decoder.skipping || size == 0) return;
    try {
        decoder.record.append(bytes, size);
    } catch (const std::exception&) {  // bad_alloc, or length_error past max_size
        dropRecord(decoder);
    }
}

void endRecord(TextRecordDecoder& decoder, const TextRecordSink& sink) {
    if (!decoder.skipping) sink(decoder.record);
    decoder.record.clear();
    decoder.started = false;
    decoder.pendingCr = false;
    decoder.skipping = false;
}

bool writeAll(std::FILE* file, const std::string& bytes) {
    return bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

bool writeRecords(std::FILE* file, const TextList& list) {
    try {
        std::string buffer;
        buffer.reserve(kIoChunk);
        // The chain runs oldest first, the order of the file.
        for (const auto& entry : list.chain) {
            appendTextRecord(buffer, entry->text);
            if (buffer.size() < kIoChunk) continue;
            if (!writeAll(file, buffer)) return false;
            buffer.clear();
        }
        return writeAll(file, buffer) && std::fflush(file) == 0 && !std::ferror(file);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool fileExists(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    std::fclose(file);
    return true;
}

bool replaceFile(const char* temp, const char* target) {
    if (std::rename(temp, target) == 0) return true;
    // Windows refuses to rename onto an existing file. A crash between the two calls leaves
    // only the temporary, complete, beside the missing target.
    std::remove(target);
    if (std::rename(temp, target) == 0) return true;
    // While the target is still there the temporary is of no use; otherwise it is the only copy.
    if (fileExists(target)) std::remove(temp);
    return false;
}

}  // namespace

void feedTextRecords(TextRecordDecoder& decoder, const char* data, size_t size,
                     const TextRecordSink& sink) {
    const char* p = data;
    const char* end = data + size;
    while (p < end) {
        decoder.started = true;
        if (decoder.pendingCr) {
            decoder.pendingCr = false;
            if (*p == '\n') {
                appendBytes(decoder, "\n", 1);
                ++p;
                continue;
            }
            appendBytes(decoder, "\r", 1);
        }
        const char* run = p;
        while (p < end && *p != '\0' && *p != '\r') ++p;
        appendBytes(decoder, run, static_cast<size_t>(p - run));
        if (p == end) break;
        if (*p++ == '\r') {
            decoder.pendingCr = true;
            continue;
        }
        endRecord(decoder, sink);
    }
}

void finishTextRecords(TextRecordDecoder& decoder, const TextRecordSink& sink) {
    if (decoder.pendingCr) appendBytes(decoder, "\r", 1);
    // A file cut short (a crash of an older writer, a copy gone wrong) keeps its last text.
    if (decoder.started) endRecord(decoder, sink);
}

void appendTextRecord(std::string& out, std::string_view text) {
    size_t start = 0;
    for (size_t lf = text.find('\n'); lf != std::string_view::npos; lf = text.find('\n', start)) {
        out.append(text.data() + start, lf - start);
        out.append("\r\n", 2);
        start = lf + 1;
    }
    out.append(text.data() + start, text.size() - start);
    out.push_back('\0');
}

bool loadTextFile(TextStore& store, ListKind kind, const char* path) {
    if (!path || listCount(store, kind) < 0) return false;
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    TextRecordDecoder decoder;
    TextRecordSink sink = [&store, kind](const std::string& text) {
        addText(store, kind, text.c_str());
    };
    char chunk[16 * 1024];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        feedTextRecords(decoder, chunk, got, sink);
    bool readWell = !std::ferror(file);
    finishTextRecords(decoder, sink);
    std::fclose(file);
    return readWell;
}

bool saveTextFile(const TextStore& store, ListKind kind, const char* path) {
    if (!path || listCount(store, kind) < 0) return false;
    const TextList& list = kind == ListKind::History ? store.history : store.registered;
    std::string temp;
    try {
        temp = std::string(path) + ".tmp";
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::FILE* file = std::fopen(temp.c_str(), "wb");
    if (!file) return false;
    bool written = writeRecords(file, list);
    written = std::fclose(file) == 0 && written;
    if (!written) {
        std::remove(temp.c_str());
        return false;
    }
    return replaceFile(temp.c_str(), path);
}
