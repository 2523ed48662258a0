// Fuzz target of the builders of what the user reads: menu labels, the icon tip, the menu tip
// text, log paths and the bounded copy and join under them. Each result stays in its budget,
// keeps whole characters and is the longest prefix of its source that fits.
#include "app/icontip.h"
#include "clipboard/logpaths.h"
#include "fuzzcheck.h"
#include "menu/menulayout.h"
#include "menu/tiptext.h"
#include "TOOLS/tooltext.h"

#include <memory>

namespace {

// The label with every "&&" read back as one '&'; false when an '&' stands alone.
bool Undouble(const std::string& label, std::string& text) {
    for (size_t i = 0; i < label.size(); ++i) {
        text += label[i];
        if (label[i] != '&') continue;
        if (i + 1 == label.size() || label[i + 1] != '&') return false;
        ++i;
    }
    return true;
}

std::string Doubled(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c;
        if (c == '&') out += '&';
    }
    return out;
}

void CheckMenuLabel(const std::string& text, int budget) {
    const std::string label = BuildMenuLabel(text.c_str(), budget);
    if (budget < 1) {
        FUZZ_CHECK(label.empty());
        return;
    }
    FUZZ_CHECK(label.size() <= static_cast<size_t>(budget) - 1);
    const std::string shown = fuzz::WithoutControls(text);
    std::string undoubled;
    FUZZ_CHECK(Undouble(label, undoubled));
    FUZZ_CHECK(fuzz::StartsWith(shown, undoubled));
    FUZZ_CHECK(fuzz::IsCharBoundary(shown, undoubled.size()));
    const std::string all = Doubled(shown);
    if (all.size() <= static_cast<size_t>(budget) - 1) FUZZ_CHECK(label == all);
    // Cut short by at most one character and an ampersand's double.
    else
        FUZZ_CHECK(label.size() + 3 >= static_cast<size_t>(budget) - 1);
}

void CheckIconTip(const std::string& text) {
    const std::string tip = BuildIconTip(text.c_str());
    const std::string shown = fuzz::WithoutControls(text);
    FUZZ_CHECK(tip.size() <= kIconTipBytes - 1);
    FUZZ_CHECK(tip.size() == fuzz::BoundaryCut(shown, kIconTipBytes - 1));
    FUZZ_CHECK(fuzz::StartsWith(shown, tip));
}

void CheckTipText(const std::string& text, int limit) {
    const size_t bytes = TipBufferSize(limit);
    FUZZ_CHECK(bytes == static_cast<size_t>(limit) + 1);
    std::unique_ptr<char[]> buffer(new char[bytes]);
    const size_t copied = CopyTipText(buffer.get(), limit, text.c_str());
    FUZZ_CHECK(copied == fuzz::BoundaryCut(text, static_cast<size_t>(limit)));
    FUZZ_CHECK(std::string(buffer.get()) == text.substr(0, copied));
}

void CheckLogPaths(const std::string& folder, const LogTime& time, const std::string& ext) {
    LogPaths paths;
    const bool whole = BuildLogPaths(&paths, folder.c_str(), time, ext.c_str());
    // Each field terminated inside itself: the fields lie side by side with no gap between.
    for (const char* path : {paths.monthFolder, paths.dayFolder, paths.file})
        FUZZ_CHECK(strnlen(path, kLogPathMax + 1) <= kLogPathMax);
    const std::string month(paths.monthFolder), day(paths.dayFolder), file(paths.file);
    if (!whole) return;
    FUZZ_CHECK(!folder.empty());
    FUZZ_CHECK(fuzz::StartsWith(month, folder));
    FUZZ_CHECK(fuzz::StartsWith(day, month + "\\"));
    FUZZ_CHECK(fuzz::StartsWith(file, day + "\\"));
    FUZZ_CHECK(file.size() >= ext.size() &&
               file.compare(file.size() - ext.size(), ext.size(), ext) == 0);
}

void CheckJoinPath(const std::string& folder, const std::string& component, size_t size) {
    std::unique_ptr<char[]> buffer(new char[size + 1]);
    buffer[size] = 'X';
    const bool whole = tooltext::JoinPath(buffer.get(), size, folder.c_str(), component.c_str());
    FUZZ_CHECK(buffer[size] == 'X');
    if (size == 0) return;
    const std::string joined(buffer.get());
    FUZZ_CHECK(joined.size() <= size - 1);
    if (!whole) return;
    FUZZ_CHECK(fuzz::StartsWith(joined, folder));
    FUZZ_CHECK(joined.size() >= component.size() &&
               joined.compare(joined.size() - component.size(), component.size(), component) == 0);
    FUZZ_CHECK(joined.size() == folder.size() + component.size() ||
               joined.size() == folder.size() + component.size() + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Reader in(data, size);
    const int budget = static_cast<int16_t>(in.U16()) % 300;
    const int tipLimit = in.U16() % 1100;
    LogTime time{in.I32(), in.I32(), in.I32(), in.I32(), in.I32(), in.I32()};
    const size_t joinSize = in.U16() % 2100;
    const size_t split = in.U16();
    const std::string text = in.Text();

    CheckMenuLabel(text, budget);
    CheckIconTip(text);
    CheckTipText(text, tipLimit);
    const std::string folder = text.substr(0, split % (text.size() + 1));
    const std::string rest = text.substr(folder.size());
    CheckLogPaths(folder, time, rest.substr(0, 8));
    CheckJoinPath(folder, rest, joinSize);
    return 0;
}
