// Fuzz target of the shared folder's file codec: any bytes, also with their check made to hold so
// that the records are reached, are read without a fault, and a file read is written back whole.
#include "fuzzcheck.h"
#include "sync/sharedfile.h"
#include "sync/sharedstate.h"

#include <algorithm>

namespace {

// Records that neither supersedes are equal in every field.
bool SameFile(const SharedFile& a, const SharedFile& b) {
    auto same = [](const auto& x, const auto& y) {
        return x.first == y.first && !supersedes(x.second, y.second) &&
               !supersedes(y.second, x.second);
    };
    auto sameCopy = [](const SharedCopy& x, const SharedCopy& y) {
        return x.stamp == y.stamp && x.text == y.text && x.exact == y.exact;
    };
    return a.machine == b.machine && a.written == b.written && a.computer == b.computer &&
           a.state.clock == b.state.clock && a.history.seen == b.history.seen &&
           std::equal(a.history.copies.begin(), a.history.copies.end(),
                      b.history.copies.begin(), b.history.copies.end(), sameCopy) &&
           std::equal(a.state.texts.begin(), a.state.texts.end(), b.state.texts.begin(),
                      b.state.texts.end(), same);
}

void CheckRead(std::string_view bytes) {
    SharedFile file;
    if (parseSharedFile(bytes, file) != SharedFileRead::Read) return;
    SharedFile again;
    FUZZ_CHECK(parseSharedFile(encodeSharedFile(file), again) == SharedFileRead::Read);
    FUZZ_CHECK(SameFile(again, file));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckRead(bytes);
    std::string checked(bytes.substr(0, size >= 4 ? size - 4 : 0));
    const uint32_t crc = sharedFileCrc(checked);
    for (int i = 0; i < 4; ++i) checked += static_cast<char>(crc >> (8 * i));
    CheckRead(checked);
    return 0;
}
