// Benchmarks of the paths a resident tool must keep fast: capturing a change into a full
// history, saving and loading the list files against plain fwrite/fread of the same bytes, and
// laying out the text menu.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "menu/menulayout.h"
#include "store/exactfile.h"
#include "store/listpair.h"
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

TextStore* StoreOf(int entries, size_t textSize) {
    TextStore* store = createTextStore();
    for (int i = 0; i < entries; ++i)
        recordHistoryText(*store, kFullHistory, TextOfSize(i, textSize).c_str());
    return store;
}

std::string FileBytes(const TextStore& store) {
    std::string bytes;
    writeTextRecords(store.history.chain, [&bytes](const char* d, size_t n) {
        bytes.append(d, n);
        return true;
    });
    return bytes;
}

const char* const kPath = "/tmp/quillmate-bench.hst";

// Both saves end as the program's does: a temporary beside the file renamed over it. The flush
// to the disk that the program adds costs the same for both and is left out.
bool ReplaceWith(const std::string& temp, std::FILE* file, bool written) {
    return std::fclose(file) == 0 && written && std::rename(temp.c_str(), kPath) == 0;
}

void BM_SaveCodec(benchmark::State& state) {
    TextStore* store = StoreOf(static_cast<int>(state.range(0)), state.range(1));
    const std::string temp = tempSiblingPath(kPath);
    for (auto _ : state) {
        std::FILE* file = std::fopen(temp.c_str(), "wb");
        bool written = writeTextRecords(store->history.chain, [file](const char* d, size_t n) {
            return std::fwrite(d, 1, n, file) == n;
        });
        if (!ReplaceWith(temp, file, written)) state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(FileBytes(*store).size()));
    destroyTextStore(store);
}

void BM_SaveRaw(benchmark::State& state) {
    TextStore* store = StoreOf(static_cast<int>(state.range(0)), state.range(1));
    const std::string bytes = FileBytes(*store);
    destroyTextStore(store);
    const std::string temp = tempSiblingPath(kPath);
    for (auto _ : state) {
        std::FILE* file = std::fopen(temp.c_str(), "wb");
        bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        if (!ReplaceWith(temp, file, written)) state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}

void WriteFileOf(int entries, size_t textSize) {
    TextStore* store = StoreOf(entries, textSize);
    const std::string bytes = FileBytes(*store);
    destroyTextStore(store);
    std::FILE* out = std::fopen(kPath, "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
}

// The file read in the program's blocks, every record decoded and added to an empty store.
void BM_LoadCodec(benchmark::State& state) {
    WriteFileOf(static_cast<int>(state.range(0)), state.range(1));
    for (auto _ : state) {
        state.PauseTiming();  // the program's store exists before its files are read
        TextStore* store = createTextStore();
        state.ResumeTiming();
        std::FILE* file = std::fopen(kPath, "rb");
        std::fseek(file, 0, SEEK_END);
        std::vector<char> block(textFileReadBlock(static_cast<uint64_t>(std::ftell(file))));
        std::fseek(file, 0, SEEK_SET);
        TextRecordDecoder decoder;
        TextRecordSink sink = [store](std::string& t) {
            addText(*store, ListKind::History, std::move(t));
        };
        size_t got;
        while ((got = std::fread(block.data(), 1, block.size(), file)) > 0)
            feedTextRecords(decoder, block.data(), got, sink);
        finishTextRecords(decoder, sink);
        std::fclose(file);
        state.PauseTiming();
        destroyTextStore(store);
        state.ResumeTiming();
    }
}

// The codec alone: the file read the same way, its records decoded into a vector of texts
// (no store: no duplicate check, no ids).
void BM_DecodeCodec(benchmark::State& state) {
    WriteFileOf(static_cast<int>(state.range(0)), state.range(1));
    for (auto _ : state) {
        std::vector<std::string> texts;
        std::FILE* file = std::fopen(kPath, "rb");
        std::fseek(file, 0, SEEK_END);
        std::vector<char> block(textFileReadBlock(static_cast<uint64_t>(std::ftell(file))));
        std::fseek(file, 0, SEEK_SET);
        TextRecordDecoder decoder;
        TextRecordSink sink = [&texts](std::string& t) { texts.push_back(std::move(t)); };
        size_t got;
        while ((got = std::fread(block.data(), 1, block.size(), file)) > 0)
            feedTextRecords(decoder, block.data(), got, sink);
        finishTextRecords(decoder, sink);
        std::fclose(file);
        benchmark::DoNotOptimize(texts.data());
    }
}

// The same bytes read whole into memory.
void BM_LoadRaw(benchmark::State& state) {
    WriteFileOf(static_cast<int>(state.range(0)), state.range(1));
    for (auto _ : state) {
        std::FILE* file = std::fopen(kPath, "rb");
        std::fseek(file, 0, SEEK_END);
        std::string bytes(static_cast<size_t>(std::ftell(file)), '\0');
        std::fseek(file, 0, SEEK_SET);
        benchmark::DoNotOptimize(std::fread(bytes.data(), 1, bytes.size(), file));
        std::fclose(file);
    }
}

// A start with a full history of texts the code page cannot hold: the .hst read, then its 16 MB
// .hsu read and every form given to its entry.
void BM_LoadExactFile16MB(benchmark::State& state) {
    TextStore* saved = createTextStore();
    const std::u16string korean(1300, u'\uD55C');  // 3 UTF-8 bytes each: about 4 KB per text
    for (int i = 0; i < kFullHistory; ++i) {
        std::u16string exact = korean;
        for (char digit : std::to_string(i)) exact += static_cast<char16_t>(digit);
        addText(*saved, ListKind::History, std::string(exact.size(), '?').c_str(),
                std::make_shared<const std::u16string>(std::move(exact)));
    }
    const std::string texts = FileBytes(*saved);
    ListFingerprint listFile;
    fingerprintOfTextRecords(saved->history.chain, listFile);
    std::string exactFile;
    writeExactFile(exactSnapshot(saved->history.chain), listFile, [&](const char* d, size_t n) {
        exactFile.append(d, n);
        return true;
    });
    destroyTextStore(saved);
    for (auto _ : state) {
        TextStore* store = createTextStore();
        ListFileReader reader;
        feedListFile(reader, texts.data(), texts.size());
        finishListFile(reader);
        addListTexts(*store, ListKind::History, reader, exactFile);
        state.PauseTiming();
        destroyTextStore(store);
        state.ResumeTiming();
    }
    state.counters["hsu_MB"] = static_cast<double>(exactFile.size()) / (1 << 20);
}
BENCHMARK(BM_LoadExactFile16MB)->Unit(benchmark::kMillisecond);

void CodecCases(benchmark::internal::Benchmark* b) {
    for (int entries : {30, 1000, kFullHistory})
        for (int size : {16, 1024, 64 * 1024}) b->Args({entries, size});
    b->Unit(benchmark::kMicrosecond);
}
BENCHMARK(BM_SaveCodec)->Apply(CodecCases);
BENCHMARK(BM_SaveRaw)->Apply(CodecCases);
BENCHMARK(BM_LoadCodec)->Apply(CodecCases);
BENCHMARK(BM_DecodeCodec)->Apply(CodecCases);
BENCHMARK(BM_LoadRaw)->Apply(CodecCases);

void BM_CaptureIntoFullHistory(benchmark::State& state) {
    TextStore* store = StoreOf(kFullHistory, static_cast<size_t>(state.range(0)));
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
BENCHMARK(BM_CaptureIntoFullHistory)->Arg(1024)->Arg(64 * 1024);

// The pure half of opening the menu: the plan and every label of a full history.
void BM_TextMenuLayout(benchmark::State& state) {
    TextStore* store = StoreOf(kFullHistory, 200);
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
