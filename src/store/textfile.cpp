// The record format of the history and registered-text files.
#include "store/textfile.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <new>

namespace {

constexpr size_t kIoChunk = 256 * 1024;

uint64_t loadWord(const char* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "a word's first byte is its lowest");

// Nonzero when any of the eight bytes of word is byte; its lowest set bit is in the first such
// byte (a borrow only runs upwards from a matching byte, so only later bytes can be false hits).
uint64_t byteMatches(uint64_t word, unsigned char byte) {
    constexpr uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
    uint64_t x = word ^ (kOnes * byte);
    return (x - kOnes) & ~x & kHighs;
}

// The high bit of each byte of word that is byte, exactly: no carry crosses a byte here.
uint64_t exactByteMatches(uint64_t word, unsigned char byte) {
    constexpr uint64_t kOnes = 0x0101010101010101ull, kLows = 0x7F7F7F7F7F7F7F7Full;
    uint64_t x = word ^ (kOnes * byte);
    return ~(((x & kLows) + kLows) | x | kLows);
}

// How many bytes come before the first match of a nonzero byteMatches result.
size_t bytesBeforeMatch(uint64_t matches) {
    return static_cast<size_t>(__builtin_ctzll(matches)) / 8;
}

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

// Appends [p, stop) with every CR LF made LF, in one pass over the bytes (texts copied from
// Windows hold a CR LF per line, stored as CR CR LF: a scan per line would cost more than the
// bytes). A CR that is the block's last byte waits in pendingCr. Returns where it stopped.
const char* appendDecoded(TextRecordDecoder& decoder, const char* p, const char* stop,
                          const char* end) {
    if (decoder.skipping) return stop;
    std::string& record = decoder.record;
    size_t base = record.size();
    try {
        record.resize(base + static_cast<size_t>(stop - p));
    } catch (const std::exception&) {
        dropRecord(decoder);
        return stop;
    }
    char* out = &record[base];
    // A word is copied whole; out then moves past it, or up to the first CR that an LF follows
    // (the word's bytes paired with the bytes one further on), and that CR is skipped. Only
    // CR LF pairs stop the run: a CR CR LF line end costs one stop, not two. The record has
    // room: out never runs ahead of p.
    while (stop - p >= 9) {
        uint64_t word = loadWord(p);
        std::memcpy(out, &word, 8);
        uint64_t pairs = exactByteMatches(word, '\r') & exactByteMatches(loadWord(p + 1), '\n');
        if (!pairs) {
            out += 8;
            p += 8;
            continue;
        }
        size_t before = bytesBeforeMatch(pairs);
        out += before;
        p += before + 1;
    }
    for (const char* last = stop - 1; p < last; ++p) {
        *out = *p;
        out += !(*p == '\r' && p[1] == '\n');  // branch-free: a CR before an LF is dropped
    }
    if (p < stop) {  // the segment's last byte: its successor is the NUL or the next block
        if (*p != '\r' || stop < end)
            *out++ = *p;
        else
            decoder.pendingCr = true;
        ++p;
    }
    record.resize(static_cast<size_t>(out - record.data()));
    return p;
}

void endRecord(TextRecordDecoder& decoder, const TextRecordSink& sink) {
    if (!decoder.skipping) sink(decoder.record);
    decoder.record.clear();
    decoder.started = false;
    decoder.pendingCr = false;
    decoder.skipping = false;
    ++decoder.ended;
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
        const char* stop = static_cast<const char*>(std::memchr(p, '\0', end - p));
        if (!stop) stop = end;
        // A record whole in this block gets its exact size at once, not doubling growth.
        if (decoder.record.empty() && stop < end && !decoder.skipping) {
            try {
                decoder.record.reserve(static_cast<size_t>(stop - p));
            } catch (const std::exception&) {
                dropRecord(decoder);
            }
        }
        const char* cr = static_cast<const char*>(std::memchr(p, '\r', stop - p));
        appendBytes(decoder, p, static_cast<size_t>((cr ? cr : stop) - p));
        p = cr ? appendDecoded(decoder, cr, stop, end) : stop;
        if (p == end) break;
        ++p;  // the NUL
        endRecord(decoder, sink);
    }
}

void finishTextRecords(TextRecordDecoder& decoder, const TextRecordSink& sink) {
    if (decoder.pendingCr) appendBytes(decoder, "\r", 1);
    // A file cut short (a crash of an older writer, a copy gone wrong) keeps its last text.
    if (decoder.started) endRecord(decoder, sink);
}

namespace {

// Collects the file bytes into blocks; a run of a block's size or more bypasses the buffer.
struct BlockWriter {
    const ByteWriter& write;
    std::unique_ptr<char[]> buffer{new char[kIoChunk]};
    size_t used = 0;
    bool ok = true;

    bool flush() {
        if (ok && used > 0) ok = write(buffer.get(), used);
        used = 0;
        return ok;
    }
    void put(const char* data, size_t size) {
        if (size >= kIoChunk) {
            if (flush()) ok = write(data, size);
            return;
        }
        if (used + size > kIoChunk && !flush()) return;
        std::memcpy(buffer.get() + used, data, size);
        used += size;
    }
    // Every LF as CR LF, in one pass: many short lines would cost a call each otherwise.
    void putWithCrLf(const char* p, size_t size) {
        while (size > 0 && ok) {
            size_t piece = std::min(size, kIoChunk / 2);
            if (used + 2 * piece > kIoChunk && !flush()) return;
            char* out = buffer.get() + used;
            for (size_t i = 0; i < piece;) {
                // As in decoding: a whole word, then out past it or up to its first LF.
                if (piece - i >= 8) {
                    uint64_t word = loadWord(p + i);
                    std::memcpy(out, &word, 8);
                    uint64_t lfs = byteMatches(word, '\n');
                    if (!lfs) {
                        out += 8;
                        i += 8;
                        continue;
                    }
                    size_t before = bytesBeforeMatch(lfs);
                    out += before;
                    i += before;
                }
                *out = '\r';  // branch-free: the CR stays only before an LF
                out += p[i] == '\n';
                *out++ = p[i++];
            }
            used = static_cast<size_t>(out - buffer.get());
            p += piece;
            size -= piece;
        }
    }
};

}  // namespace

bool writeTextRecords(const TextChain& chain, const ByteWriter& write) {
    try {
        BlockWriter out{write};
        // The chain runs oldest first, the order of the file.
        for (const auto& entry : chain) {
            const char* text = entry->text.data();
            size_t size = entry->text.size();
            const char* lf = static_cast<const char*>(std::memchr(text, '\n', size));
            size_t plain = lf ? static_cast<size_t>(lf - text) : size;
            out.put(text, plain);
            out.putWithCrLf(text + plain, size - plain);
            out.put("", 1);  // the NUL that ends the record
            if (!out.ok) return false;
        }
        return out.flush();
    } catch (const std::exception&) {  // bad_alloc
        return false;
    }
}

size_t textFileReadBlock(uint64_t fileSize) {
    constexpr uint64_t kLeast = 4 * 1024;
    // One byte more than the file, so a whole file needs no second read to see its end.
    if (fileSize >= kIoChunk) return kIoChunk;
    return static_cast<size_t>(std::max(fileSize + 1, kLeast));
}

std::string tempSiblingPath(std::string_view path) {
    std::string temp(path);
    if (!temp.empty()) temp.back() = temp.back() == '~' ? '_' : '~';
    return temp;
}

std::u16string tempSiblingPath(std::u16string_view path) {
    std::u16string temp(path);
    if (!temp.empty()) temp.back() = temp.back() == u'~' ? u'_' : u'~';
    return temp;
}
