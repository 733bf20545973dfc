// What the rename journal costs a conversion: 1,000 small recordings, each
// with a text companion and FileDate on, are renamed without and with the
// journal, in alternating rounds of the same run; the median of each and
// their ratio are printed. The journal writes two lines per move and one per
// dating, and flushes to disk once at the end of the batch.
#include "app/job_list.h"
#include "app/journal.h"
#include "tests/support/small_recording.h"
#include "tests/support/temp_dir.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace kalvento;
using Clock = std::chrono::steady_clock;

constexpr int kRecordings = 1000;
constexpr int kRounds = 5;

// Seconds to convert the folder's recordings (analysed beforehand).
double convert_once(const std::string& dir, const std::vector<std::string>& recordings,
                    const std::string& journal_dir) {
    const ChannelNameMap channels;
    JobList jobs;
    NamingSettings naming;
    naming.items = {1, 15, 0, 0};
    naming.separators = {"", " ", "", "", ""};
    naming.ombrixRename = false;
    jobs.set_naming(naming);
    std::vector<EntryId> ids;
    for (const std::string& path : recordings)
        ids.push_back(
            jobs.add_analysed(path, analyse_recording(path, AnalysisWindow{}, channels)).id);

    const auto start = Clock::now();
    std::unique_ptr<JournalBatch> journal;
    if (!journal_dir.empty()) {
        if (auto begun = JournalBatch::begin(journal_dir, kFrontEndCli, {}))
            journal = std::move(*begun);
    }
    const ListConversion report =
        jobs.convert(ids, {.gopRename = true, .fileDate = true}, journal.get());
    if (journal) (void)journal->finish();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::size_t moved = 0;
    for (const ConvertedEntry& converted : report.converted)
        moved += converted.result.status == ConvertStatus::moved ? 1 : 0;
    if (moved != recordings.size()) std::printf("only %zu moved in %s\n", moved, dir.c_str());
    return seconds;
}

// Renames the converted files back to rec<i>.ts so the next round starts alike.
void reset(const std::string& dir) {
    namespace fs = std::filesystem;
    std::vector<fs::path> recordings;
    for (const auto& item : fs::directory_iterator(dir))
        if (item.path().extension() == ".ts") recordings.push_back(item.path());
    std::sort(recordings.begin(), recordings.end());
    for (std::size_t i = 0; i < recordings.size(); ++i) {
        const std::string to = dir + "/rec" + std::to_string(i) + ".ts";
        fs::rename(recordings[i].string() + ".txt", to + ".txt.tmp");
        fs::rename(recordings[i], to + ".tmp");
    }
    for (std::size_t i = 0; i < recordings.size(); ++i) {
        const std::string to = dir + "/rec" + std::to_string(i) + ".ts";
        fs::rename(to + ".tmp", to);
        fs::rename(to + ".txt.tmp", to + ".txt");
    }
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main() {
    test::TempDir scratch;
    const std::string dir = scratch.file("recordings");
    std::filesystem::create_directories(dir);
    std::vector<std::string> recordings;
    std::vector<std::string> names;
    for (int i = 0; i < kRecordings; ++i)
        names.push_back("ベンチ番組 第" + std::to_string(i) + "話");
    for (int i = 0; i < kRecordings; ++i) {
        const std::string path = dir + "/rec" + std::to_string(i) + ".ts";
        test::write_small_recording(path, {.eventName = names[static_cast<std::size_t>(i)],
                                           .seed = static_cast<std::uint32_t>(i + 1),
                                           .packets = 100});
        std::ofstream(path + ".txt") << "companion";
        recordings.push_back(path);
    }
    std::vector<double> plain;
    std::vector<double> journaled;
    for (int round = 0; round < kRounds; ++round) {
        plain.push_back(convert_once(dir, recordings, {}));
        reset(dir);
        journaled.push_back(convert_once(dir, recordings, scratch.file("journal")));
        reset(dir);
    }
    const double without = median(plain);
    const double with = median(journaled);
    std::printf(
        "convert %d recordings with companions and FileDate: %.1f ms without the journal, "
        "%.1f ms with it: ratio %.2f\n",
        kRecordings, without * 1000, with * 1000, with / without);
    return 0;
}
