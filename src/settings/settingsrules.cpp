// The settings dialog's history-count check and date-format preview.
#include "settings/settingsrules.h"

#include "settings/appsettings.h"
#include "TOOLS/tooltext.h"

HistoryCountCheck CheckHistoryCount(const char* text, int32_t& count) {
    int32_t value = 0;
    if (!tooltext::ParseDecimalInt(text, value) || value < kMinHistoryCount) {
        return HistoryCountCheck::TooSmall;
    }
    if (value > kMaxHistoryCount) return HistoryCountCheck::TooLarge;
    count = value;
    return HistoryCountCheck::Valid;
}

const char* HistoryCountMessage(HistoryCountCheck check) {
    return check == HistoryCountCheck::TooLarge
               ? "履歴の記憶数が多すぎます。\n%d 以下の値を設定してください。"
               : "履歴の記憶数が少なすぎます。\n%d 以上の値を設定してください。";
}

int32_t HistoryCountBound(HistoryCountCheck check) {
    return check == HistoryCountCheck::TooLarge ? kMaxHistoryCount : kMinHistoryCount;
}

void FormatDatePreview(char* tip, size_t tipSize, const char* pattern,
                       const DateFormatter::LocalTime& time) {
    char full[1024];
    DateFormatter::format(full, sizeof full, pattern, time);
    tooltext::CopyBounded(tip, tipSize, full);
}
