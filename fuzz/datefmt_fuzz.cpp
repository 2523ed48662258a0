// Fuzz target of the date format engine: format text and time record both from the input. A
// smaller buffer must hold the longest whole-character prefix of the full text and nothing
// beyond its size.
#include "datefmt/datefmt.h"
#include "fuzzcheck.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Reader in(data, size);
    DateFormatter::LocalTime time;
    time.year = in.U16();
    time.month = in.U16();
    time.dayOfWeek = in.U16();
    time.day = in.U16();
    time.hour = in.U16();
    time.minute = in.U16();
    time.second = in.U16();
    time.milliseconds = in.U16();
    const uint16_t cutChoice = in.U16();
    const std::string format = in.Text();

    // The text in a roomy buffer. A width of millions fills any buffer; then this is itself a
    // cut, and only shorter cuts can be checked against it.
    constexpr size_t kRoomy = 1 << 16;
    std::unique_ptr<char[]> full(new char[kRoomy]);
    DateFormatter::format(full.get(), kRoomy, format.c_str(), time);
    const std::string text(full.get());
    FUZZ_CHECK(text.size() <= kRoomy - 1);
    const bool whole = text.size() < kRoomy - 8;

    // Exactly sized heap blocks, so a write past the end is caught.
    const size_t small = cutChoice % (text.size() + (whole ? 2 : 1));
    std::unique_ptr<char[]> buffer(new char[small + 1]);
    buffer[small] = 'X';
    DateFormatter::format(buffer.get(), small, format.c_str(), time);
    FUZZ_CHECK(buffer[small] == 'X');
    if (small == 0) return 0;
    const std::string cut(buffer.get());
    FUZZ_CHECK(cut.size() <= small - 1);
    FUZZ_CHECK(cut.size() == fuzz::BoundaryCut(text, small - 1));
    FUZZ_CHECK(fuzz::StartsWith(text, cut));

    // Rendering is a function of its inputs: the same call gives the same text.
    DateFormatter::format(full.get(), kRoomy, format.c_str(), time);
    FUZZ_CHECK(text == full.get());
    return 0;
}
