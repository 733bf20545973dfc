// The rule store at scale: importing 10,000 / 20,000 / 40,000 rules from an
// exchange file into a settings file (parse, insert in rule order, write the
// sections, serialise), loading the store back from those bytes, and reading a
// settings file of a million sections. Times grow about linearly with the
// count; the ratio of each size to the one before is printed at the end.
#include "platform/profile_file.h"
#include "rules/rule_store.h"
#include "rules/rule_text_forms.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace kalvento;
using Clock = std::chrono::steady_clock;

// Distinct rules in scrambled order, so every insertion lands somewhere else.
std::string exchange_file(int count) {
    std::string bytes;
    for (int i = 0; i < count; ++i) {
        RenameRule rule;
        reset_rule(rule);
        const unsigned scrambled = static_cast<unsigned>(i) * 2654435761u;
        rule.FindText = "title " + std::to_string(scrambled) + " (.+)";
        rule.RenameText = "@TT #@2nb @sb [@CH] @YY-@MM-@DD";
        rule.SyoboFind = "@TT";
        bytes += format_export_line(rule);
    }
    return bytes;
}

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct ImportTimes {
    double import = 0;
    double load = 0;
};

ImportTimes measure_import(int count) {
    const std::string file = exchange_file(count);
    ImportTimes times;
    const auto start = Clock::now();
    ProfileFile profile = ProfileFile::from_bytes("bench.ini", "[KalventoDlg]\r\nReadSize=50\r\n");
    const RuleList current = load_rules(profile);
    RuleList working = current;
    const ImportResult result = import_rules(working, file);
    save_rules(profile, current, working);
    const std::string saved = profile.serialized();
    times.import = seconds_since(start);
    if (static_cast<int>(result.added) != count)
        std::printf("only %zu of %d rules imported\n", result.added, count);

    const auto load_start = Clock::now();
    const RuleList loaded = load_rules(ProfileFile::from_bytes("bench.ini", saved));
    times.load = seconds_since(load_start);
    if (static_cast<int>(loaded.size()) != count) std::printf("loaded %zu rules\n", loaded.size());
    return times;
}

double measure_million_sections() {
    std::string bytes;
    bytes.reserve(40u << 20);
    for (int i = 0; i < 1'000'000; ++i)
        bytes += "[Section" + std::to_string(i) + "]\r\nKey=" + std::to_string(i) + "\r\n";
    const auto start = Clock::now();
    const ProfileFile profile = ProfileFile::from_bytes("big.ini", bytes);
    const int last = profile.read_int("Section999999", "Key", -1);
    const double elapsed = seconds_since(start);
    if (last != 999999) std::printf("read %d\n", last);
    return elapsed;
}

}  // namespace

int main() {
    double previous = 0;
    for (const int count : {10'000, 20'000, 40'000}) {
        const ImportTimes times = measure_import(count);
        std::printf("%6d rules: import %.3f s, load %.3f s", count, times.import, times.load);
        if (previous > 0) std::printf("  (import x%.2f of the half size)", times.import / previous);
        std::printf("\n");
        previous = times.import;
    }
    std::printf("1,000,000 sections: read and look up the last key %.3f s\n",
                measure_million_sections());
    return 0;
}
