// The history search window under Wine: from a key typed into its field to the list matched
// again and painted, over a full history of 4,095 texts of 4 KB read from the .hst file. Prints
// p50 and p99 in ms.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/appshell.h"
#include "app/startup.h"
#include "resource.h"
#include "settings/appsettings.h"
#include "settings/settingsfile.h"
#include "store/textfile.h"
#include "store/textstore.h"
#include "support/testenv.h"

namespace {

constexpr int kFullHistory = 4095;
constexpr size_t kTextSize = 4096;

const char* const kWords[] = {"会議",
                              "議事録",
                              "資料",
                              "の",
                              "を",
                              "確認",
                              "お願い",
                              "します",
                              "。",
                              "プロジェクト",
                              "ﾃﾞﾝﾋﾟｮｳ",
                              "東京",
                              "大阪",
                              "Hello",
                              "world",
                              "return",
                              "std::string",
                              "https://example.com/",
                              "2026",
                              "ＡＢＣ",
                              "１２３",
                              "data",
                              "value",
                              "\r\n",
                              " "};

std::string MakeText(unsigned& seed, int serial) {
    std::string text = "#" + std::to_string(serial) + " ";
    while (text.size() < kTextSize) {
        seed = seed * 1103515245u + 12345u;
        text += kWords[(seed >> 16) % (sizeof kWords / sizeof kWords[0])];
    }
    while (text.size() > kTextSize) text.pop_back();
    if (!text.empty() && static_cast<unsigned char>(text.back()) >= 0x80) text.pop_back();
    return text;
}

// The .hst of a full history, written by the program's own codec.
bool WriteFullHistory(const std::string& path) {
    TextStore* store = createTextStore();
    unsigned seed = 4095;
    for (int i = 0; i < kFullHistory; ++i)
        addText(*store, ListKind::History, MakeText(seed, i).c_str());
    std::string bytes;
    writeTextRecords(store->history.chain, [&bytes](const char* d, size_t n) {
        bytes.append(d, n);
        return true;
    });
    destroyTextStore(store);
    return testenv::WriteFileBytes(path, bytes);
}

double Milliseconds(LARGE_INTEGER start, LARGE_INTEGER end, LARGE_INTEGER frequency) {
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

void DispatchPending() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5)];
}

}  // namespace

int main() {
    testenv::TempModuleFolder folder;
    if (!WriteFullHistory(folder.file("quillmate.hst"))) return 1;
    AppSettings settings;
    SetDefaultSettings(settings);
    SetDefaultHotkeys(settings.hotkeys);
    settings.history.historyCount = kFullHistory;
    settings.history.animateIcon = false;
    HANDLE mutex = CreateMainWindow(GetModuleHandleA(nullptr), &settings);
    HWND main = FindWindowA(MAIN_WINDOW_CLASS, MAIN_WINDOW_NAME);
    if (!mutex || !main) return 1;
    testenv::PumpMessages(200);
    SendMessageA(main, WM_COMMAND, IDM_SEARCH_HISTORY, 0);
    HWND window = FindWindowA("#32770", "履歴の検索");
    if (!window) return 1;
    HWND field = GetDlgItem(window, IDC_SEARCH_FIELD);
    HWND list = GetDlgItem(window, IDC_SEARCH_LIST);
    testenv::PumpMessages(200);

    const wchar_t* const queries[] = {
        L"議事録 2026 確認", L"std::string return value", L"https://example", L"ａｂｃ １２３",
        L"zebra crossing",   L"プロジェクト 大阪",        L"#4000 ",
        L"ぷろじぇくと でんぴょう"};
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> times, previewTimes;
    int rows = 0;
    for (int round = 0; round < 3; ++round) {
        for (const wchar_t* query : queries) {
            SetWindowTextW(field, L"");
            testenv::PumpMessages(20);
            for (const wchar_t* c = query; *c; ++c) {
                QueryPerformanceCounter(&start);
                SendMessageW(field, WM_CHAR, *c, 1);
                UpdateWindow(window);
                UpdateWindow(list);
                QueryPerformanceCounter(&end);
                times.push_back(Milliseconds(start, end, frequency));
                rows += static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
                // Then the preview, which follows once the list is painted.
                DispatchPending();
                UpdateWindow(GetDlgItem(window, IDC_SEARCH_PREVIEW));
                QueryPerformanceCounter(&end);
                previewTimes.push_back(Milliseconds(start, end, frequency));
            }
        }
    }
    std::printf(
        "search key to list painted under Wine, %d texts of %zu bytes (%zu keys): "
        "p50 %.2f ms, p99 %.2f ms, max %.2f ms (rows seen %d)\n",
        kFullHistory, kTextSize, times.size(), Percentile(times, 0.5), Percentile(times, 0.99),
        *std::max_element(times.begin(), times.end()), rows);
    std::printf("search key to list and preview painted under Wine: p50 %.2f ms, p99 %.2f ms\n",
                Percentile(previewTimes, 0.5), Percentile(previewTimes, 0.99));
    DestroyWindow(main);
    testenv::PumpMessages(50);
    CloseHandle(mutex);
    return 0;
}
