// Fuzz target of the shared folder's file codec: any bytes are read without a fault, a file read
// is written back to the same bytes, and merging a view into itself changes nothing.
#include "fuzzcheck.h"
#include "sync/sharedfile.h"
#include "sync/sharedstate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    SharedFile file;
    if (parseSharedFile(bytes, file) != SharedFileRead::Read) return 0;
    const std::string written = encodeSharedFile(file);
    SharedFile again;
    FUZZ_CHECK(parseSharedFile(written, again) == SharedFileRead::Read);
    FUZZ_CHECK(encodeSharedFile(again) == written);
    mergeState(again.state, file.state);
    FUZZ_CHECK(encodeSharedFile(again) == written);
    return 0;
}
