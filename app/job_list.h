// The job list: one FileEntry per recording that was dropped or named on the
// command line, in the order of addition, each under an id that never
// changes. The list holds no view state: which rows are shown in which order
// and which are selected belongs to the window, which names entries by id.
//
// Adding is split in two: the analysis (analyse_recording, slow, any thread)
// and `add_analysed` (fast, on the thread that owns the list).
#pragma once

#include "naming/compose.h"
#include "naming/file_entry.h"
#include "naming/library_copy.h"
#include "naming/rename.h"
#include "programme/file_analysis.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kalvento {

using EntryId = std::uint64_t;

struct Job {
    EntryId id = 0;
    FileEntry entry;
    // Changes with every composition of the entry, here or stored from a
    // copy: a copy composed elsewhere is taken back only while it is unchanged.
    std::uint64_t composition = 0;
};

enum class AddOutcome {
    added,
    alreadyPresent,  // an entry with the same path (byte for byte) is in the list
    stopped,         // the analysis was stopped; nothing added
};

struct AddResult {
    AddOutcome outcome = AddOutcome::stopped;
    EntryId id = 0;  // the new or the existing entry (added, alreadyPresent)
};

struct ConvertedEntry {
    EntryId id = 0;
    ConvertResult result;
};

// The moves of one conversion inside the list (the conversion door,
// app/conversion.h, adds the journal and the report).
struct ListConversion {
    std::vector<ConvertedEntry> converted;  // in the order the ids were given
    // Entries that the conversion moved: the rebuilt view selects them again.
    std::vector<EntryId> moved;
};

class JobList {
  public:
    // `rule_step` names entries by the rename rules; empty for none.
    explicit JobList(RuleStep rule_step = {}) : ruleStep_(std::move(rule_step)) {}

    // The composition's inputs, as the window shows them now.
    void set_naming(NamingSettings naming) { naming_ = std::move(naming); }
    const NamingSettings& naming() const { return naming_; }
    void set_rule_step(RuleStep rule_step) { ruleStep_ = std::move(rule_step); }
    const RuleStep& rule_step() const { return ruleStep_; }

    const std::vector<Job>& jobs() const { return jobs_; }
    std::size_t size() const { return jobs_.size(); }
    const FileEntry* find(EntryId id) const;
    // The entry of a native path, if one is in the list.
    std::optional<EntryId> find_path(const std::string& native_path) const;

    // Makes the entry of an analysed recording with candidate `selected`
    // chosen (the first when out of range) and composes its name. A path
    // already in the list and a stopped analysis add nothing.
    AddResult add_analysed(const std::string& native_path, AnalysisResult analysis,
                           int selected = 0);

    // Composes every entry in list order. Returns the entries that were just
    // converted (their rows are selected again) and clears their flags.
    std::vector<EntryId> rebuild();

    // Composes one entry again; false for an id not in the list.
    bool compose(EntryId id);

    // A copy of an entry, to compose on another thread, and the composed copy
    // taken back: its names and its candidates (the rule engine may have
    // filled schedule results). `composition` is the entry's composition when
    // the copy was taken; the copy is refused (false) when the entry has gone
    // or has been composed or stored since, so a late result never replaces
    // a newer name.
    std::optional<FileEntry> copy(EntryId id) const;
    std::uint64_t composition(EntryId id) const;
    bool store_composed(EntryId id, const FileEntry& composed, std::uint64_t composition);

    // Chooses another candidate and composes the entry again.
    bool select_candidate(EntryId id, int candidate);

    // Sets the programme name of the selected candidate and composes the entry again.
    bool set_programme_name(EntryId id, std::string cp932_name);

    // Recordings of the list were moved by someone else (an undo): each entry
    // whose absolute path is a `from` now names the file at its `to` and is
    // composed again. The ids of the entries that followed a move.
    struct FileMove {
        std::string from;  // absolute native paths
        std::string to;
    };
    std::vector<EntryId> follow_moves(const std::vector<FileMove>& moves);

    // Removes the entries; ids not in the list are passed over. The number removed.
    std::size_t remove(const std::vector<EntryId>& ids);

    // Renames the entries in the order given, or, given a library, links,
    // copies or moves them into it; then rebuilds the list. A recorder (the
    // rename journal) hears of every step first.
    ListConversion convert(const std::vector<EntryId>& ids, const ConversionOptions& options,
                           MoveRecorder* recorder = nullptr,
                           const LibraryTarget* library = nullptr);

  private:
    Job* find_job(EntryId id);
    void compose_job(Job& job);

    RuleStep ruleStep_;
    NamingSettings naming_;
    std::vector<Job> jobs_;
    EntryId nextId_ = 1;
    std::uint64_t nextComposition_ = 1;
};

}  // namespace kalvento
