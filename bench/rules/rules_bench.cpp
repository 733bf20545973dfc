// Composing the names of a job list through the rule store.
//
// 1,000 programme candidates are offered to a store of 100 rules, in store
// order, the first matching rule giving the name - what the list does for
// every row at each keystroke in a separator field. The rules are of four
// kinds, a quarter each: a title behind an optional angle bracket found by
// look-behind, a title after bracketed marks anchored at the start, a title
// with an optional bracketed suffix, and a plain title as the main window
// proposes it; their templates use @C, @R, @MST, @NS, @NSN, @NTN, @2nb and the
// date macros. Nine rows in ten belong to a rule (on average half the store is
// tried first), the tenth to none (the whole store is tried).
//
//   match    - the pattern tests alone, up to the first matching rule
//   compose  - apply_first_rule for every row, with and without the
//              compiled-pattern cache
//
// Before the benchmarks the names composed with the cache are compared with
// those composed while compiling every pattern afresh.
#include "platform/codepage.h"
#include "platform/file_ops.h"
#include "platform/japan_time.h"
#include "rules/rule_engine.h"
#include "text/regex_cache.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

using namespace kalvento;

constexpr int kRuleCount = 100;
constexpr int kCandidateCount = 1000;

std::int64_t local_time(int year, int month, int day, int hour, int minute) {
    return japan_date_time_to_unix(year, month, day, hour, minute, 0).value_or(0);
}

std::string series_name(int series) {
    return "作品" + std::to_string(series) + "ノ物語";
}

// Four kinds of rule, as users write them.
RenameRule make_rule(int series) {
    const std::string name = series_name(series);
    RenameRule rule;
    rule.FindType = series % 10 == 9 ? kFindBoth : kFindProgramme;
    if (rule.FindType == kFindBoth) rule.FindTextCh = "(?:ＢＳ|テレビ)";
    switch (series % 4) {
        case 0:
            rule.FindText = cp932("(?:^|(?<=＞))" + name + "(?=[ 　「#＃第]|$)");
            rule.RenameText =
                cp932("@C'(?:＜.+?＞)+'@R'　/ '@TT 第@2nb話@sb [@CH] @mm月@dd日(@wk)");
            break;
        case 1:
            rule.FindText = cp932("^(?:＜.+?＞)*\\[?" + name);
            rule.RenameText =
                cp932("@MST@C'(?:＜.+?＞)+'@TT #@NSN'第(.+?)話'@2nb @sb @YY-@MM-@DD @SH@SM");
            break;
        case 2:
            rule.FindText = cp932(name + "(?:（.+?）)?");
            rule.RenameText = cp932("@NS1'「(.+?)」'@C'\\[.+?\\]'@R'(?<=" + name +
                                    ")　/_'@TT_@3nb_@PS1_@yy@mm@dd_@sh@sm");
            break;
        default:
            rule.FindText = cp932(name);  // as the main window proposes it
            rule.RenameText = cp932("[@CH2] @TT 第@NTN'第(.+?)話'@2nb話 @WE @2yy@mm@dd");
            break;
    }
    NumberingEntry entry;
    entry.StartTime = local_time(2009, 10, 6 + series % 7, 0, 0);
    entry.StartNo = 1;
    entry.WeekCheck[static_cast<std::size_t>((series + 2) % 7)] = 1;
    rule.Numbering.push_back(entry);
    return rule;
}

// Nine in ten candidates belong to a series with a rule; the others to none.
ProgramInfo make_candidate(int index) {
    const int series = index % 10 == 7 ? 1000 + index : (index * 37) % kRuleCount;
    const int episode = 1 + index % 26;
    ProgramInfo candidate;
    candidate.eventName =
        cp932("＜新＞＜字＞" + series_name(series) + "　第" + std::to_string(episode) +
              "話「サブタイトル" + std::to_string(episode) + "」[デ]");
    candidate.title = candidate.eventName;
    candidate.eventText = cp932("第" + std::to_string(episode) + "話「サブタイトル" +
                                std::to_string(episode) + "」\r出演：声優Ａ、声優Ｂ");
    candidate.extendedText = cp932("番組内容\r長い説明の文章がここに入ります。\r出演者\r声優Ａ");
    candidate.channelName = cp932(index % 2 == 0 ? "ＢＳテレビ" : "地上テレビ");
    candidate.serviceName = cp932("サービス" + std::to_string(index % 8));
    candidate.genreMajor = cp932("アニメ／特撮");
    candidate.genreMinor = cp932("国内アニメ");
    candidate.startTime = local_time(2010, 1 + index % 12, 1 + index % 28, (index * 7) % 24, 30);
    candidate.endTime = candidate.startTime + 1800;
    return candidate;
}

struct Workload {
    std::vector<RenameRule> rules;
    std::vector<ProgramInfo> candidates;
};

const Workload& workload() {
    static const Workload data = [] {
        Workload made;
        for (int i = 0; i < kRuleCount; ++i) made.rules.push_back(make_rule(i));
        for (int i = 0; i < kCandidateCount; ++i) made.candidates.push_back(make_candidate(i));
        return made;
    }();
    return data;
}

// Composes every candidate once (on fresh copies: rules edit their candidate).
std::vector<std::string> compose_all(const Workload& data) {
    std::vector<std::string> names;
    names.reserve(data.candidates.size());
    for (const ProgramInfo& original : data.candidates) {
        ProgramInfo candidate = original;
        std::string name;
        if (!apply_first_rule(data.rules, "recording.ts", candidate, name)) name = "<none>";
        names.push_back(std::move(name));
    }
    return names;
}

void run_compose(benchmark::State& state, std::size_t capacity) {
    const std::size_t saved = regex_cache_capacity();
    set_regex_cache_capacity(capacity);
    const Workload& data = workload();
    for (auto _ : state) benchmark::DoNotOptimize(compose_all(data));
    state.counters["rows"] = kCandidateCount;
    set_regex_cache_capacity(saved);
}

// The pattern tests alone: how much of the composition is finding the rule.
void BM_MatchThousandRowsCached(benchmark::State& state) {
    const Workload& data = workload();
    for (auto _ : state) {
        int matched = 0;
        for (const ProgramInfo& candidate : data.candidates) {
            for (const RenameRule& rule : data.rules) {
                if (!rule_matches(candidate, rule)) continue;
                ++matched;
                break;
            }
        }
        benchmark::DoNotOptimize(matched);
    }
}
BENCHMARK(BM_MatchThousandRowsCached)->Unit(benchmark::kMillisecond);

void BM_ComposeThousandRowsCached(benchmark::State& state) {
    run_compose(state, regex_cache_capacity());
}
void BM_ComposeThousandRowsUncached(benchmark::State& state) {
    run_compose(state, 0);
}

BENCHMARK(BM_ComposeThousandRowsCached)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeThousandRowsUncached)->Unit(benchmark::kMillisecond)->Iterations(3);

// The cache must not change a single name.
bool check_cache_gives_identical_names() {
    const std::size_t saved = regex_cache_capacity();
    const std::vector<std::string> cached = compose_all(workload());
    set_regex_cache_capacity(0);
    const std::vector<std::string> fresh = compose_all(workload());
    set_regex_cache_capacity(saved);
    int named = 0;
    for (const std::string& name : cached) named += name != "<none>" ? 1 : 0;
    const bool same = cached == fresh;
    std::printf("names composed: %d of %d rows by rules; identical without the cache: %s\n", named,
                kCandidateCount, same ? "yes" : "NO");
    std::printf("example: %s\n", cp932_to_utf8_lossy(cached.front()).c_str());
    return same;
}

}  // namespace

int main(int argc, char** argv) {
    // Broadcast times are Japan time.
    setenv("TZ", "Asia/Tokyo", 1);
    tzset();
    if (!check_cache_gives_identical_names()) return 1;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
