// The largest inputs the program may be handed: a 3 MB language file (150,000 sections, or a
// long section of keys) read as the program starts with it, and a 50 MiB CSV file loaded into
// CH1. Besides the time, the CSV cases report the heap the load needed at its peak, counted by
// this program's own allocation functions.
#include "engine/KelvaneDoc.h"
#include "engine/LanguageTable.h"
#include "engine/NullDocUi.h"
#include "system/Paths.h"
#include "system/Profile.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <new>
#include <string>

namespace {

std::atomic<std::size_t> g_live{0};
std::atomic<std::size_t> g_peak{0};

void Count(void* p) {
    const std::size_t now = g_live += malloc_usable_size(p);
    std::size_t peak = g_peak.load();
    while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
    }
}

} // namespace

// The replacements below pair malloc with free themselves; the compiler's check cannot see that
// operator new here is malloc.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t n) {
    void* p = std::malloc(n ? n : 1);
    if (!p)
        throw std::bad_alloc();
    Count(p);
    return p;
}
void* operator new[](std::size_t n) {
    return operator new(n);
}
void operator delete(void* p) noexcept {
    if (p) {
        g_live -= malloc_usable_size(p);
        std::free(p);
    }
}
void operator delete[](void* p) noexcept {
    operator delete(p);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    operator delete(p);
}

namespace {

constexpr double kMiB = 1024.0 * 1024.0;

std::string BenchFolder(const std::string& name) {
    const std::string dir = kv::ProgramFolder() + "/bench-files/" + name;
    std::filesystem::create_directories(dir);
    return dir;
}

void WriteUtf16Language(const std::string& path, const std::string& text) {
    const auto bytes = kv::Utf8ToUtf16Le(text);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.put(static_cast<char>(0xFF)).put(static_cast<char>(0xFE));
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A language folder with one file, then what the first timer tick does with it: the folder
// scan and the switch to that language.
void RunLanguageStart(benchmark::State& state, const std::string& folder) {
    const auto size = std::filesystem::file_size(folder + "/Big.lug");
    for (auto _ : state) {
        CLanguageTable table;
        table.SetLanguageFolder(folder.c_str());
        table.ScanLanguageFiles();
        table.SelectLanguage(0);
        benchmark::DoNotOptimize(table.GetEntryCount());
    }
    state.counters["file_MB"] = static_cast<double>(size) / 1e6;
}

void BM_LanguageFileOfManySections(benchmark::State& state) {
    const std::string folder = BenchFolder("language-sections");
    std::string text = "[App]\r\n8888=Big\r\n4002=Function not available!\r\n";
    char line[32];
    for (int i = 0; i < 150000; ++i) {
        std::snprintf(line, sizeof line, "[S%06d]\r\n", i);
        text += line;
    }
    WriteUtf16Language(folder + "/Big.lug", text);
    RunLanguageStart(state, folder);
}
BENCHMARK(BM_LanguageFileOfManySections)->Unit(benchmark::kMillisecond);

void BM_LanguageFileOfManyKeys(benchmark::State& state) {
    const std::string folder = BenchFolder("language-keys");
    std::string text = "[App]\r\n8888=Big\r\n";
    char line[64];
    for (int i = 0; text.size() < 1500000; ++i) { // 3 MB as UTF-16
        std::snprintf(line, sizeof line, "%d=Menu item text number %d#Ctrl+%d\r\n", 80000000 + i, i, i % 10);
        text += line;
    }
    WriteUtf16Language(folder + "/Big.lug", text);
    RunLanguageStart(state, folder);
}
BENCHMARK(BM_LanguageFileOfManyKeys)->Unit(benchmark::kMillisecond);

// A 50 MiB CSV file of 32768 points; `longLines` pads every point line with further columns so
// that the points fill the file, otherwise the points are followed by more short lines.
void RunCsv(benchmark::State& state, bool longLines) {
    const std::string path = BenchFolder("csv") + (longLines ? "/long-lines.csv" : "/short-lines.csv");
    constexpr std::size_t kTarget = 50u << 20;
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        std::string head = "#CLOCK=0.001000000\n#SIZE=32768\n";
        out << head;
        std::size_t written = head.size();
        const std::size_t pad = longLines ? (kTarget - written) / 32768 - 16 : 0;
        const std::string columns = longLines ? "," + std::string(pad, '0') : std::string();
        char value[32];
        for (std::size_t i = 0; written < kTarget; ++i) {
            const int n = std::snprintf(value, sizeof value, "%f,0,0", 0.001 * static_cast<double>(i % 2000));
            out.write(value, n);
            out << columns << '\n';
            written += static_cast<std::size_t>(n) + columns.size() + 1;
            if (longLines && i + 1 == 32768)
                break;
        }
    }
    CKelvaneDoc doc;
    CNullDocUi ui;
    doc.SetDefaultSettings();
    doc.AllocSampleBuffers();
    doc.SetUi(&ui);
    std::size_t peak = 0;
    for (auto _ : state) {
        const std::size_t before = g_live;
        g_peak = before;
        if (doc.LoadCsvFile(path.c_str()) != 1)
            state.SkipWithError("the CSV file was refused");
        peak = std::max(peak, g_peak.load() - before);
    }
    state.counters["file_MiB"] = static_cast<double>(std::filesystem::file_size(path)) / kMiB;
    state.counters["peak_heap_MiB"] = static_cast<double>(peak) / kMiB;
}

void BM_Csv50MiBLongLines(benchmark::State& state) {
    RunCsv(state, true);
}
BENCHMARK(BM_Csv50MiBLongLines)->Unit(benchmark::kMillisecond);

void BM_Csv50MiBShortLines(benchmark::State& state) {
    RunCsv(state, false);
}
BENCHMARK(BM_Csv50MiBShortLines)->Unit(benchmark::kMillisecond);

} // namespace
