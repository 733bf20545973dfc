// Speed of the name composition and of converting entries on disk, each
// against a baseline measured in the same run:
//   compose_1000          - compose_entry over 1,000 entries (four items, five
//                           separators, Japanese texts with characters to replace)
//   concatenate_1000      - the same items and separators joined with plain
//                           std::string appends (no bounds, no replacement)
//   convert_1000          - convert_entry over 1,000 small files in one folder
//                           (free-name search and no-replace move)
//   plain_rename_1000     - rename(2) of 1,000 files to fresh names
//   convert_companions/N  - convert_entry over N recordings with one companion
//                           ".txt" each, all in one folder, with the listings
//                           of one run (as JobList::convert does): the time per
//                           entry stays flat from 1,000 to 8,000
// The counter "per_entry" is the time per entry.
#include "naming/compose.h"
#include "naming/entry_paths.h"
#include "naming/rename.h"
#include "platform/codepage.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using namespace kalvento;
namespace fs = std::filesystem;

constexpr int kEntries = 1000;

ProgramInfo sample_programme(int i) {
    ProgramInfo info;
    info.eventName = cp932("ドラマ「港町の灯り」第" + std::to_string(i) + "話 前編/後編:総集編?");
    info.title = info.eventName;
    info.channelName = cp932("カルヴェントテレビ");
    info.dateCompact = cp932("20240407(日)");
    info.timeHM = cp932("21時00分");
    info.startTime = 1712491200 + i;
    return info;
}

NamingSettings sample_settings() {
    NamingSettings settings;
    settings.items = {23, 1, 2, 4};
    settings.separators = {"[", "] ", " (", ") ", ""};
    settings.ombrixRename = false;
    return settings;
}

class ScratchFolder {
  public:
    ScratchFolder() {
        path_ = fs::temp_directory_path() / ("kalvento-naming-bench-" + std::to_string(::getpid()));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    void clear() {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }

  private:
    fs::path path_;
};

// Small "recordings" of 4 KB each.
void write_files(const ScratchFolder& folder, int count) {
    const std::string content(4096, 'v');
    for (int i = 0; i < count; ++i)
        std::ofstream(folder.file("rec" + std::to_string(i) + ".ts"), std::ios::binary) << content;
}

void set_per_entry(benchmark::State& state, int entries = kEntries) {
    state.counters["per_entry"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * entries,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void compose_1000(benchmark::State& state) {
    std::vector<FileEntry> entries;
    for (int i = 0; i < kEntries; ++i)
        entries.push_back(
            make_file_entry("/recordings/rec" + std::to_string(i) + ".ts", {sample_programme(i)}));
    const NamingSettings settings = sample_settings();
    for (auto _ : state) {
        for (FileEntry& entry : entries) benchmark::DoNotOptimize(compose_entry(entry, settings));
    }
    set_per_entry(state);
}
BENCHMARK(compose_1000)->Unit(benchmark::kMicrosecond);

void concatenate_1000(benchmark::State& state) {
    std::vector<ProgramInfo> programmes;
    for (int i = 0; i < kEntries; ++i) programmes.push_back(sample_programme(i));
    const NamingSettings settings = sample_settings();
    for (auto _ : state) {
        for (const ProgramInfo& info : programmes) {
            std::string name = settings.separators[0] + info.dateCompact + settings.separators[1] +
                               info.eventName + settings.separators[2] + info.channelName +
                               settings.separators[3] + info.timeHM + settings.separators[4] +
                               ".ts";
            benchmark::DoNotOptimize(name);
        }
    }
    set_per_entry(state);
}
BENCHMARK(concatenate_1000)->Unit(benchmark::kMicrosecond);

// A fresh folder of `count` recordings (each with a companion ".txt" when
// asked), composed: every tenth composes the name of the one before it when
// `numbered`, so that it gets a numbered form.
std::vector<FileEntry> fresh_entries(ScratchFolder& folder, int count, bool companions,
                                     bool numbered) {
    folder.clear();
    write_files(folder, count);
    const NamingSettings settings = sample_settings();
    std::vector<FileEntry> entries;
    for (int i = 0; i < count; ++i) {
        const std::string path = folder.file("rec" + std::to_string(i) + ".ts");
        if (companions) std::ofstream(path + ".txt") << "programme text";
        entries.push_back(
            make_file_entry(path, {sample_programme(numbered && i % 10 == 9 ? i - 1 : i)}));
        compose_entry(entries.back(), settings);
    }
    return entries;
}

void convert_1000(benchmark::State& state) {
    ScratchFolder folder;
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<FileEntry> entries = fresh_entries(folder, kEntries, false, true);
        state.ResumeTiming();
        for (FileEntry& entry : entries) benchmark::DoNotOptimize(convert_entry(entry, {}));
    }
    set_per_entry(state);
}
BENCHMARK(convert_1000)->Unit(benchmark::kMillisecond);

void convert_companions(benchmark::State& state) {
    const auto count = static_cast<int>(state.range(0));
    ScratchFolder folder;
    const ConversionOptions options{.gopRename = true};
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<FileEntry> entries = fresh_entries(folder, count, true, false);
        state.ResumeTiming();
        CompanionListings listings;
        for (FileEntry& entry : entries)
            benchmark::DoNotOptimize(convert_entry(entry, options, nullptr, &listings));
    }
    set_per_entry(state, count);
}
BENCHMARK(convert_companions)
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(4000)
    ->Arg(8000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

void plain_rename_1000(benchmark::State& state) {
    ScratchFolder folder;
    for (auto _ : state) {
        state.PauseTiming();
        folder.clear();
        write_files(folder, kEntries);
        state.ResumeTiming();
        for (int i = 0; i < kEntries; ++i) {
            const std::string from = folder.file("rec" + std::to_string(i) + ".ts");
            const std::string to = folder.file("new" + std::to_string(i) + ".ts");
            benchmark::DoNotOptimize(std::rename(from.c_str(), to.c_str()));
        }
    }
    set_per_entry(state);
}
BENCHMARK(plain_rename_1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
