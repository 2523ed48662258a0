// The shared folder's file format: little-endian fields, lengths before bytes, a CRC at the end.
#include "sync/sharedfile.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "store/exactfile.h"
#include "TOOLS/tooltext.h"

const char* const kSharedFileExtension = ".qms";
const char* const kSharedSubfolder = "Quillmate";

namespace {

constexpr char kMagic[4] = {'\x1e', 'Q', 'M', 'S'};
constexpr size_t kHeadBytes = 4 + 4 + 8 + 8 + 8 + 4;            // up to the computer name
constexpr size_t kRecordBytes = 8 + 8 + 8 + 1 + 8 + 8 + 4 + 4;  // without its two texts
constexpr unsigned char kDeletedFlag = 1;
constexpr size_t kCopyBytes = 8 + 4 + 4;  // without its two texts
constexpr size_t kSeenBytes = 8 + 8;

}  // namespace

uint32_t sharedFileCrc(std::string_view bytes) {
    return crc32Of(0, bytes);
}

namespace {

void PutU64(std::string& out, uint64_t value) {
    for (int i = 0; i < 8; ++i) out += static_cast<char>(value >> (8 * i));
}
void PutU32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>(value >> (8 * i));
}
void PutBytes(std::string& out, std::string_view bytes) {
    PutU32(out, static_cast<uint32_t>(bytes.size()));
    out += bytes;
}

// Reads fields off the front of the bytes; once one does not fit, every later read fails too.
class FieldReader {
public:
    explicit FieldReader(std::string_view bytes) : rest_(bytes) {}
    bool ok() const { return ok_; }
    size_t left() const { return rest_.size(); }
    uint64_t U64() { return Number(8); }
    uint32_t U32() { return static_cast<uint32_t>(Number(4)); }
    unsigned char Byte() { return static_cast<unsigned char>(Number(1)); }
    std::string_view Bytes() {
        size_t size = U32();
        if (!ok_ || size > rest_.size()) return Fail();
        std::string_view bytes = rest_.substr(0, size);
        rest_.remove_prefix(size);
        return bytes;
    }

private:
    uint64_t Number(size_t size) {
        if (!ok_ || rest_.size() < size) return Fail(), 0;
        uint64_t value = 0;
        for (size_t i = 0; i < size; ++i)
            value |= static_cast<uint64_t>(static_cast<unsigned char>(rest_[i])) << (8 * i);
        rest_.remove_prefix(size);
        return value;
    }
    std::string_view Fail() {
        ok_ = false;
        rest_ = {};
        return {};
    }
    std::string_view rest_;
    bool ok_ = true;
};

// A text's bytes and its exact form in UTF-8; false for a NUL among the bytes or bad UTF-8.
bool ReadTexts(FieldReader& in, std::string& text, std::u16string& exact) {
    std::string_view bytes = in.Bytes(), utf8 = in.Bytes();
    if (!in.ok() || bytes.find('\0') != std::string_view::npos) return false;
    text.assign(bytes);
    return utf8.empty() || utf16FromUtf8(utf8, exact);
}

bool ReadRecord(FieldReader& in, SharedText& record) {
    record.id = in.U64();
    record.clock = in.U64();
    record.machine = in.U64();
    unsigned char flags = in.Byte();
    record.deleted = (flags & kDeletedFlag) != 0;
    record.place = static_cast<int64_t>(in.U64());
    record.deletedAt = static_cast<int64_t>(in.U64());
    return ReadTexts(in, record.text, record.exact) && flags <= kDeletedFlag;
}

bool ReadHistory(FieldReader& in, SharedHistory& history) {
    uint32_t count = in.U32();
    if (!in.ok() || count > in.left() / kCopyBytes) return false;
    history.copies.resize(count);
    for (SharedCopy& copy : history.copies) {
        copy.stamp = in.U64();
        if (!ReadTexts(in, copy.text, copy.exact)) return false;
    }
    count = in.U32();
    if (!in.ok() || count > in.left() / kSeenBytes) return false;
    for (uint32_t i = 0; i < count; ++i) {
        uint64_t machine = in.U64();
        uint64_t& seen = history.seen[machine];
        seen = std::max(seen, in.U64());
    }
    return in.ok();
}

void WriteHistory(std::string& out, const SharedHistory& history) {
    PutU32(out, static_cast<uint32_t>(history.copies.size()));
    for (const SharedCopy& copy : history.copies) {
        PutU64(out, copy.stamp);
        PutBytes(out, copy.text);
        PutBytes(out, utf8FromUtf16(copy.exact));
    }
    PutU32(out, static_cast<uint32_t>(history.seen.size()));
    for (const auto& [machine, stamp] : history.seen) {
        PutU64(out, machine);
        PutU64(out, stamp);
    }
}

void WriteRecord(std::string& out, const SharedText& record) {
    PutU64(out, record.id);
    PutU64(out, record.clock);
    PutU64(out, record.machine);
    out += static_cast<char>(record.deleted ? kDeletedFlag : 0);
    PutU64(out, static_cast<uint64_t>(record.place));
    PutU64(out, static_cast<uint64_t>(record.deletedAt));
    PutBytes(out, record.text);
    PutBytes(out, utf8FromUtf16(record.exact));
}

}  // namespace

SharedFileRead parseSharedFile(std::string_view bytes, SharedFile& file) {
    if (bytes.size() > kSharedFileMaxBytes) return SharedFileRead::TooLarge;
    if (bytes.size() < sizeof kMagic || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        return SharedFileRead::NotShared;
    FieldReader in(bytes.substr(sizeof kMagic));
    uint32_t version = in.U32();
    if (!in.ok() || version == 0) return SharedFileRead::Damaged;
    if (version > kSharedFileVersion) return SharedFileRead::Newer;
    if (bytes.size() < kHeadBytes + 4) return SharedFileRead::Damaged;
    std::string_view body = bytes.substr(0, bytes.size() - 4);
    FieldReader tail(bytes.substr(body.size()));
    if (tail.U32() != sharedFileCrc(body)) return SharedFileRead::Damaged;

    in = FieldReader(body.substr(sizeof kMagic + 4));
    SharedFile read;
    read.machine = in.U64();
    read.state.clock = in.U64();
    read.written = static_cast<int64_t>(in.U64());
    read.computer.assign(in.Bytes());
    uint32_t count = in.U32();
    if (!in.ok() || count > in.left() / kRecordBytes) return SharedFileRead::Damaged;
    for (uint32_t i = 0; i < count; ++i) {
        SharedText record;
        if (!ReadRecord(in, record)) return SharedFileRead::Damaged;
        // A record listed twice is merged as two views would be.
        auto [at, added] = read.state.texts.try_emplace(record.id, record);
        if (!added && supersedes(record, at->second)) at->second = std::move(record);
    }
    if (version >= 2 && !ReadHistory(in, read.history)) return SharedFileRead::Damaged;
    if (in.left() != 0) return SharedFileRead::Damaged;
    file = std::move(read);
    return SharedFileRead::Read;
}

std::string encodeSharedFile(const SharedFile& file) {
    const bool withHistory = !file.history.copies.empty() || !file.history.seen.empty();
    std::string out(kMagic, sizeof kMagic);
    PutU32(out, withHistory ? 2 : 1);
    PutU64(out, file.machine);
    PutU64(out, file.state.clock);
    PutU64(out, static_cast<uint64_t>(file.written));
    PutBytes(out, file.computer);
    PutU32(out, static_cast<uint32_t>(file.state.texts.size()));
    for (const auto& [id, record] : file.state.texts) WriteRecord(out, record);
    if (withHistory) WriteHistory(out, file.history);
    PutU32(out, sharedFileCrc(out));
    return out;
}

std::string machineIdText(uint64_t machine) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (int shift = 60; shift >= 0; shift -= 4) text += digits[(machine >> shift) & 0xF];
    return text;
}

bool parseMachineId(std::string_view text, uint64_t& machine) {
    if (text.size() != 16) return false;
    uint64_t value = 0;
    for (char c : text) {
        int digit = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
        if (digit < 0) return false;
        value = value << 4 | static_cast<uint64_t>(digit);
    }
    if (value == 0) return false;
    machine = value;
    return true;
}

bool sameComputer(std::string_view madeOn, std::string_view thisOne) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (madeOn.empty() || madeOn.size() != thisOne.size()) return false;
    bool trail = false;  // a trail byte may look like a capital and is compared as it is
    for (size_t i = 0; i < madeOn.size(); ++i) {
        if (trail ? madeOn[i] != thisOne[i] : lower(madeOn[i]) != lower(thisOne[i])) return false;
        trail = !trail && tooltext::IsLeadByte(static_cast<unsigned char>(madeOn[i]));
    }
    return true;
}

std::string sharedFileName(uint64_t machine) {
    return machineIdText(machine) + kSharedFileExtension;
}
