// Speed and memory of the stream analysis, against a plain read of the same
// window measured in the same run.
//
// A synthetic recording of about 54 MB is written to a temporary directory:
// one service whose video is 95 per cent of the packets, the tables every 300
// packets and a programme change at 60 per cent. Both benchmarks read its
// first 50 MB (the analysis window 0 % / 50 MB), with a warm page cache:
//   plain_read  - 64 KiB read() calls over the window
//   analyse     - TsAnalyzer::run over the window
// After the benchmarks the ratio of the two, and the allocations made by one
// analysis (counted by replacing the global operator new), are printed.
#include "tests/support/arib_encoder.h"
#include "tests/support/recording_builder.h"
#include "ts/file_source.h"
#include "ts/ts_analyzer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <new>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

// ---------------------------------------------------------------------------
// Allocation counting

// The replaced operators below pair malloc and free themselves; GCC does not
// see that once they are inlined into callers of new and delete.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

namespace {

struct AllocationCounter {
    std::size_t live = 0;
    std::size_t peak = 0;
    std::size_t count = 0;
};
AllocationCounter g_allocations;

constexpr std::size_t kHeader = 16;  // keeps the block aligned for any fundamental type

[[gnu::noinline]] void* counted_alloc(std::size_t size) {
    auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (block == nullptr) return nullptr;
    *reinterpret_cast<std::size_t*>(block) = size;
    g_allocations.live += size;
    g_allocations.peak = std::max(g_allocations.peak, g_allocations.live);
    ++g_allocations.count;
    return block + kHeader;
}

[[gnu::noinline]] void counted_free(void* pointer) {
    if (pointer == nullptr) return;
    auto* block = static_cast<unsigned char*>(pointer) - kHeader;
    g_allocations.live -= *reinterpret_cast<std::size_t*>(block);
    std::free(block);
}

}  // namespace

void* operator new(std::size_t size) {
    if (void* pointer = counted_alloc(size)) return pointer;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    if (void* pointer = counted_alloc(size)) return pointer;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return counted_alloc(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return counted_alloc(size);
}
void operator delete(void* pointer) noexcept {
    counted_free(pointer);
}
void operator delete[](void* pointer) noexcept {
    counted_free(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept {
    counted_free(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept {
    counted_free(pointer);
}
void operator delete(void* pointer, const std::nothrow_t&) noexcept {
    counted_free(pointer);
}
void operator delete[](void* pointer, const std::nothrow_t&) noexcept {
    counted_free(pointer);
}

namespace kalvento::test {
namespace {

constexpr int kWindowMb = 50;
constexpr std::int64_t kWindowBytes = std::int64_t{kWindowMb} << 20;
constexpr std::size_t kReadBytes = 65536;

std::string g_path;

RecordingPlan bench_plan() {
    RecordingPlan plan;
    plan.networkId = 0x7FE1;
    plan.transportStreamId = 0x7FE1;
    plan.remoteControlKeyId = 1;
    plan.tsName = arib_encode("ベンチ放送");
    plan.tableInterval = 300;
    plan.packets = static_cast<std::size_t>((kWindowBytes + (4 << 20)) / 188);
    RecordingService service;
    service.serviceId = 1024;
    service.pmtPid = 0x01F0;
    service.videoPid = 0x0100;
    service.videoPercent = 95;
    service.providerName = arib_encode("ベンチ");
    service.serviceName = arib_encode("ベンチ放送１");
    const Bytes genre = content_descriptor({{0x0, 0x1}});
    service.events.push_back(
        {.eventId = 1,
         .start = mjd_time(2024, 4, 1, 18, 0),
         .duration = bcd_duration(1, 0),
         .descriptors = concat({short_event_descriptor(arib_encode("夕方のニュース"),
                                                       arib_encode("きょうの出来事を伝えます")),
                                genre}),
         .from = 0.0});
    service.events.push_back(
        {.eventId = 2,
         .start = mjd_time(2024, 4, 1, 19, 0),
         .duration = bcd_duration(0, 54),
         .descriptors = concat(
             {short_event_descriptor(arib_encode("天気予報"), arib_encode("全国の天気")), genre}),
         .from = 0.6});
    plan.services.push_back(service);
    return plan;
}

void plain_read(benchmark::State& state) {
    std::vector<std::uint8_t> buffer(kReadBytes);
    for (auto _ : state) {
        const int fd = ::open(g_path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            state.SkipWithError("cannot open the recording");
            return;
        }
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        std::int64_t total = 0;
        while (total < kWindowBytes) {
            const auto want = static_cast<std::size_t>(std::min<std::int64_t>(
                static_cast<std::int64_t>(kReadBytes), kWindowBytes - total));
            const ssize_t got = ::read(fd, buffer.data(), want);
            if (got <= 0) break;
            total += got;
        }
        ::close(fd);
        benchmark::DoNotOptimize(total);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * kWindowBytes);
}

std::size_t analyse_window(int megabytes) {
    TsAnalyzer analyzer;
    FileSource file;
    if (file.open(g_path)) return 0;
    analyzer.run(file, AnalysisWindow{.startPercent = 0, .sizeMb = megabytes});
    std::size_t video = 0;
    for (const Snapshot& snapshot : analyzer.snapshots())
        for (const ProgramEntry& program : snapshot.programs) video += program.videoPackets;
    return video;
}

void analyse(benchmark::State& state) {
    std::size_t video = 0;
    for (auto _ : state) video = analyse_window(kWindowMb);
    state.SetBytesProcessed(state.iterations() * kWindowBytes);
    state.counters["video_packets"] = static_cast<double>(video);
}

BENCHMARK(plain_read)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(6);
BENCHMARK(analyse)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(6);

// Keeps the best time per iteration of every benchmark (wall clock and CPU)
// over its repetitions: on a shared machine the best run is the one least
// disturbed by others, for both sides of the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    struct Times {
        double real = 0;
        double cpu = 0;
    };
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations <= 0) continue;
            const auto iterations = static_cast<double>(run.iterations);
            Times& best = times[run.run_name.function_name];
            const double real = run.real_accumulated_time / iterations;
            const double cpu = run.cpu_accumulated_time / iterations;
            if (best.real == 0 || real < best.real) best.real = real;
            if (best.cpu == 0 || cpu < best.cpu) best.cpu = cpu;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, Times> times;
};

struct AllocationReport {
    std::size_t count = 0;
    std::size_t peakGrowth = 0;
};

AllocationReport allocations_of_analysis(int megabytes) {
    const AllocationCounter before = g_allocations;
    g_allocations.peak = g_allocations.live;
    analyse_window(megabytes);
    AllocationReport report{g_allocations.count - before.count, g_allocations.peak - before.live};
    g_allocations.peak = std::max(before.peak, g_allocations.peak);
    return report;
}

}  // namespace
}  // namespace kalvento::test

int main(int argc, char** argv) {
    using namespace kalvento::test;
    const auto dir = std::filesystem::temp_directory_path() /
                     ("kalvento-ts-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    g_path = (dir / "recording.ts").string();
    {
        const Bytes recording = build_recording(bench_plan());
        if (!write_file(g_path, recording)) {
            std::fprintf(stderr, "cannot write %s\n", g_path.c_str());
            return 1;
        }
        std::printf("recording: %zu bytes, window %d MB\n", recording.size(), kWindowMb);
    }

    // The two sides of the ratio take turns, so that both meet the same load.
    std::vector<char*> arguments(argv, argv + argc);
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    arguments.insert(arguments.begin() + 1, interleave.data());
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const RatioReporter::Times read = reporter.times["plain_read"];
    const RatioReporter::Times analysis = reporter.times["analyse"];
    if (read.real > 0 && analysis.real > 0 && read.cpu > 0) {
        std::printf(
            "\nwall clock: plain read %.2f ms, analysis %.2f ms, ratio %.2fx (target <= 1.5x)\n",
            read.real * 1e3, analysis.real * 1e3, analysis.real / read.real);
        std::printf("CPU time:   plain read %.2f ms, analysis %.2f ms, ratio %.2fx\n",
                    read.cpu * 1e3, analysis.cpu * 1e3, analysis.cpu / read.cpu);
    }

    // Allocations do not grow with the packets: half the window costs as many.
    const AllocationReport full = allocations_of_analysis(kWindowMb);
    const AllocationReport half = allocations_of_analysis(kWindowMb / 2);
    std::printf("allocations of one analysis: %zu (%d MB window), %zu (%d MB window)\n", full.count,
                kWindowMb, half.count, kWindowMb / 2);
    std::printf("peak memory growth of one analysis: %.1f KiB (target < 8 MiB)\n",
                static_cast<double>(full.peakGrowth) / 1024.0);

    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    return 0;
}
