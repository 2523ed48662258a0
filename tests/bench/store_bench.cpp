// Benchmarks of the paths a resident tool must keep fast: capturing a change into a full
// history, saving and loading the history file, and laying out the text menu.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "menu/menulayout.h"
#include "store/textfile.h"
#include "store/textstore.h"

namespace {

constexpr int kFullHistory = 4095;

std::string TextOfSize(int serial, size_t size) {
    std::string text = "text " + std::to_string(serial) + "\r\n";
    while (text.size() < size) text += "line of history text\r\n";
    text.resize(size);
    return text;
}

TextStore* FullStore(size_t textSize) {
    TextStore* store = createTextStore();
    for (int i = 0; i < kFullHistory; ++i)
        recordHistoryText(*store, kFullHistory, TextOfSize(i, textSize).c_str());
    return store;
}

void BM_CaptureIntoFullHistory(benchmark::State& state) {
    TextStore* store = FullStore(static_cast<size_t>(state.range(0)));
    std::vector<std::string> incoming;
    for (int i = 0; i < 1024; ++i)
        incoming.push_back(TextOfSize(100000 + i, static_cast<size_t>(state.range(0))));
    size_t next = 0;
    for (auto _ : state) {
        recordHistoryText(*store, kFullHistory, incoming[next].c_str());
        next = (next + 1) % incoming.size();
    }
    destroyTextStore(store);
}
BENCHMARK(BM_CaptureIntoFullHistory)->Arg(200)->Arg(64 * 1024);

// The codec's share of a history save: every record encoded and handed to plain fwrite.
void BM_SaveFullHistory(benchmark::State& state) {
    TextStore* store = FullStore(static_cast<size_t>(state.range(0)));
    const char* path = "/tmp/quillmate-bench.hst";
    for (auto _ : state) {
        std::FILE* file = std::fopen(path, "wb");
        benchmark::DoNotOptimize(writeTextRecords(store->history, [file](const char* d, size_t n) {
            return std::fwrite(d, 1, n, file) == n;
        }));
        std::fclose(file);
    }
    destroyTextStore(store);
    std::remove(path);
}
BENCHMARK(BM_SaveFullHistory)->Arg(200)->Arg(4096)->Unit(benchmark::kMillisecond);

// The codec's share of a history load: plain fread, every record decoded and added.
void BM_LoadFullHistory(benchmark::State& state) {
    TextStore* source = FullStore(static_cast<size_t>(state.range(0)));
    std::string bytes;
    writeTextRecords(source->history, [&bytes](const char* d, size_t n) {
        bytes.append(d, n);
        return true;
    });
    destroyTextStore(source);
    const char* path = "/tmp/quillmate-bench-load.hst";
    std::FILE* out = std::fopen(path, "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
    std::vector<char> chunk(64 * 1024);
    for (auto _ : state) {
        TextStore* store = createTextStore();
        TextRecordDecoder decoder;
        TextRecordSink sink = [store](const std::string& t) {
            addText(*store, ListKind::History, t.c_str());
        };
        std::FILE* file = std::fopen(path, "rb");
        size_t got;
        while ((got = std::fread(chunk.data(), 1, chunk.size(), file)) > 0)
            feedTextRecords(decoder, chunk.data(), got, sink);
        finishTextRecords(decoder, sink);
        std::fclose(file);
        destroyTextStore(store);
    }
    std::remove(path);
}
BENCHMARK(BM_LoadFullHistory)->Arg(200)->Arg(4096)->Unit(benchmark::kMillisecond);

// The pure half of opening the menu: the plan and every label of a full history.
void BM_TextMenuLayout(benchmark::State& state) {
    TextStore* store = FullStore(200);
    for (auto _ : state) {
        TextMenuInput input = {0, kFullHistory, kFullHistory, true, true, 64, 1080, 19};
        TextMenuPlan plan = PlanTextMenu(input);
        size_t bytes = 0;
        for (const MenuPlanItem& item : plan.items) {
            if (item.kind != MenuItemKind::Text) continue;
            int id = idAt(*store, ListKind::History, item.index);
            bytes += BuildMenuLabel(textOfId(*store, id), plan.columns.labelBudget).size();
        }
        benchmark::DoNotOptimize(bytes);
    }
    destroyTextStore(store);
}
BENCHMARK(BM_TextMenuLayout)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
