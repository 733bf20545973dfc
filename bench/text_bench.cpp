// Title cleaning with and without the compiled-pattern cache.
#include "platform/codepage.h"
#include "text/regex_cache.h"
#include "text/regex_helpers.h"

#include <benchmark/benchmark.h>

namespace {

using namespace kalvento;

// A typical 40-character programme title and a cleaning pattern of a rule.
const std::string& title() {
    static const std::string text =
        cp932("＜新＞アニメ「魔法少女の放課後」第１２話 [字][デ] 再放送スペシャル版");
    return text;
}
const std::string& pattern() {
    static const std::string text = cp932("(?<=「).+?(?=」)");
    return text;
}

void run_extract(benchmark::State& state, std::size_t capacity) {
    const std::size_t saved = regex_cache_capacity();
    set_regex_cache_capacity(capacity);
    for (auto _ : state) benchmark::DoNotOptimize(regex_extract(title(), pattern()));
    set_regex_cache_capacity(saved);
}

void BM_ExtractTitleCached(benchmark::State& state) {
    run_extract(state, 512);
}
void BM_ExtractTitleUncached(benchmark::State& state) {
    run_extract(state, 0);
}

BENCHMARK(BM_ExtractTitleCached);
BENCHMARK(BM_ExtractTitleUncached);

}  // namespace

BENCHMARK_MAIN();
