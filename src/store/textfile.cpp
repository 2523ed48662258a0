// The record format of the history and registered-text files.
#include "store/textfile.h"

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

bool writeTextRecords(const TextList& list, const ByteWriter& write) {
    try {
        std::string buffer;
        buffer.reserve(kIoChunk);
        // The chain runs oldest first, the order of the file.
        for (const auto& entry : list.chain) {
            appendTextRecord(buffer, entry->text);
            if (buffer.size() < kIoChunk) continue;
            if (!write(buffer.data(), buffer.size())) return false;
            buffer.clear();
        }
        return buffer.empty() || write(buffer.data(), buffer.size());
    } catch (const std::exception&) {  // bad_alloc, or length_error past max_size
        return false;
    }
}

std::string tempSiblingPath(std::string_view path) {
    std::string temp(path);
    if (!temp.empty()) temp.back() = temp.back() == '~' ? '_' : '~';
    return temp;
}
