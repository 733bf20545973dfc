// The job list: one FileEntry per recording that was dropped or named on the
// command line, in the order of addition, and the rows of the list view that
// show them. Rows may be sorted on screen; entries move only when one is
// removed. The window displays what this returns and forwards its commands.
//
// Long work (an analysis, a composition waiting for a schedule answer) keeps
// the window alive by handling events, so a command can arrive while another
// is still running: every command that changes the list is refused then.
#pragma once

#include "app/app_settings.h"
#include "naming/compose.h"
#include "naming/file_entry.h"
#include "naming/rename.h"
#include "programme/channel_names.h"
#include "programme/file_analysis.h"

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kalvento {

// What the composition, the conversion and the analysis take from the settings.
NamingSettings naming_settings_from(const AppSettings& settings);
ConversionOptions conversion_options_from(const AppSettings& settings);
AnalysisWindow analysis_window_from(const AppSettings& settings);

// One row of the list view: the entry it shows (its item data) and whether it
// is selected.
struct JobListRow {
    std::size_t entry = 0;
    bool selected = false;
};

enum class AddOutcome {
    added,
    alreadyPresent,  // an entry with the same path (byte for byte) is in the list
    cancelled,       // the progress callback stopped the analysis; nothing added
    failed,          // the analysis could not be set up; nothing added
    busy,            // another command is running; nothing done
};

struct AddResult {
    AddOutcome outcome = AddOutcome::failed;
    std::size_t entry = 0;  // the new or the existing entry (added, alreadyPresent)
    int unitSize = 0;       // packet unit size the analysis found, 0 for none
    RowTexts row;           // the new row (added)
};

struct ConvertedEntry {
    std::size_t entry = 0;  // index of the entry that was converted
    ConvertResult result;
};

struct ConversionReport {
    std::vector<ConvertedEntry> converted;  // in the on-screen order of the rows
    std::vector<RowTexts> rows;             // the rebuilt list
};

class JobList {
  public:
    // `channels` must outlive the list. `rule_step` names entries by the rename
    // rules; empty for none.
    explicit JobList(const ChannelNameMap& channels, RuleStep rule_step = {});

    // The composition's inputs, as the window shows them now.
    void set_naming(NamingSettings naming) { naming_ = std::move(naming); }
    const NamingSettings& naming() const { return naming_; }
    void set_analysis_window(AnalysisWindow window) { window_ = window; }
    void set_rule_step(RuleStep rule_step) { ruleStep_ = std::move(rule_step); }

    bool busy() const { return busy_; }
    const std::vector<FileEntry>& entries() const { return entries_; }
    const std::vector<JobListRow>& rows() const { return rows_; }

    // Analyses the recording, makes its entry, composes it and appends its row.
    AddResult add_recording(const std::string& native_path, const AnalysisProgress& progress = {});

    // Composes every entry in list order into rows 0..n-1; a row whose entry was
    // just converted comes back selected and the entry's flag is cleared.
    // nullopt while busy.
    std::optional<std::vector<RowTexts>> rebuild();

    // Composes the entry of one row again (after its candidate or programme
    // name changed). nullopt while busy or for a row that does not exist.
    std::optional<RowTexts> compose_row(std::size_t row);

    // Chooses another candidate for the entry of `row` and composes it again.
    std::optional<RowTexts> select_candidate(std::size_t row, int candidate);

    void select_all();
    bool set_row_selected(std::size_t row, bool selected);
    // Puts the rows in a new on-screen order: `order` lists the current row
    // positions in their new order and must be a permutation of them. Refused
    // while busy, since a rebuild may be filling the rows.
    bool reorder_rows(const std::vector<std::size_t>& order);

    // Removes the entries of all selected rows; the entry index of every row
    // behind a removed entry goes down by one. The number removed, or nullopt
    // while busy.
    std::optional<std::size_t> remove_selected_rows();

    // One diagnostic line per row: "row,entry,sourcePath\r\n".
    std::vector<std::string> row_trace() const;

    // Converts the entries of the selected rows in on-screen order, then
    // rebuilds the list. nullopt while busy.
    std::optional<ConversionReport> convert_selected(const ConversionOptions& options);

  private:
    class BusyScope;

    RowTexts compose(std::size_t entry);

    const ChannelNameMap& channels_;
    RuleStep ruleStep_;
    NamingSettings naming_;
    AnalysisWindow window_;
    std::vector<FileEntry> entries_;
    std::vector<JobListRow> rows_;
    bool busy_ = false;
};

}  // namespace kalvento
