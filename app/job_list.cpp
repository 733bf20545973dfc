#include "app/job_list.h"

#include "naming/entry_paths.h"

#include <algorithm>

namespace kalvento {

// Marks the list busy for the lifetime of a command.
class JobList::BusyScope {
  public:
    explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    bool& flag_;
};

NamingSettings naming_settings_from(const AppSettings& settings) {
    NamingSettings naming;
    for (std::size_t i = 0; i < kNameItemCount && i < settings.filenameSet.size(); ++i)
        naming.items[i] = settings.filenameSet[i];
    for (std::size_t i = 0; i < kNameSeparatorCount && i < settings.filenameSetSp.size(); ++i)
        naming.separators[i] = settings.filenameSetSp[i];
    naming.notRename = settings.notRename;
    naming.ombrixRename = settings.ombrixRename;
    return naming;
}

ConversionOptions conversion_options_from(const AppSettings& settings) {
    return ConversionOptions{.gopRename = settings.gopRename,
                             .wildRename = settings.wildRename,
                             .fileDate = settings.fileDate};
}

AnalysisWindow analysis_window_from(const AppSettings& settings) {
    return AnalysisWindow{.startPercent = settings.readStartPos, .sizeMb = settings.readSize};
}

JobList::JobList(const ChannelNameMap& channels, RuleStep rule_step)
    : channels_(channels), ruleStep_(std::move(rule_step)) {}

RowTexts JobList::compose(std::size_t entry) {
    return compose_entry(entries_[entry], naming_, ruleStep_);
}

AddResult JobList::add_recording(const std::string& native_path, const AnalysisProgress& progress) {
    AddResult result;
    if (busy_) {
        result.outcome = AddOutcome::busy;
        return result;
    }
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].nativePath == native_path) {
            result.outcome = AddOutcome::alreadyPresent;
            result.entry = i;
            return result;
        }
    }

    BusyScope scope(busy_);
    AnalysisResult analysis = analyse_recording(native_path, window_, channels_, progress);
    result.unitSize = analysis.unitSize;
    if (analysis.outcome == AnalysisOutcome::cancelled) {
        result.outcome = AddOutcome::cancelled;
        return result;
    }
    if (analysis.outcome != AnalysisOutcome::done || analysis.candidates.empty()) {
        result.outcome = AddOutcome::failed;
        return result;
    }

    entries_.push_back(make_file_entry(native_path, std::move(analysis.candidates)));
    const std::size_t index = entries_.size() - 1;
    rows_.push_back(JobListRow{.entry = index, .selected = false});
    result.row = compose(index);
    entries_[index].converted = 0;
    result.outcome = AddOutcome::added;
    result.entry = index;
    return result;
}

std::optional<std::vector<RowTexts>> JobList::rebuild() {
    if (busy_) return std::nullopt;
    BusyScope scope(busy_);
    std::vector<RowTexts> texts;
    texts.reserve(entries_.size());
    rows_.clear();
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        texts.push_back(compose(i));
        rows_.push_back(JobListRow{.entry = i, .selected = texts.back().selected});
        entries_[i].converted = 0;
    }
    return texts;
}

std::optional<RowTexts> JobList::compose_row(std::size_t row) {
    if (busy_ || row >= rows_.size()) return std::nullopt;
    BusyScope scope(busy_);
    RowTexts texts = compose(rows_[row].entry);
    texts.selected = rows_[row].selected;
    return texts;
}

std::optional<RowTexts> JobList::select_candidate(std::size_t row, int candidate) {
    if (busy_ || row >= rows_.size()) return std::nullopt;
    FileEntry& entry = entries_[rows_[row].entry];
    if (candidate < 0 || static_cast<std::size_t>(candidate) >= entry.candidates.size())
        return std::nullopt;
    entry.selected = candidate;
    return compose_row(row);
}

void JobList::select_all() {
    for (JobListRow& row : rows_) row.selected = true;
}

bool JobList::set_row_selected(std::size_t row, bool selected) {
    if (row >= rows_.size()) return false;
    rows_[row].selected = selected;
    return true;
}

bool JobList::reorder_rows(const std::vector<std::size_t>& order) {
    if (busy_ || order.size() != rows_.size()) return false;
    std::vector<bool> seen(rows_.size(), false);
    for (const std::size_t position : order) {
        if (position >= rows_.size() || seen[position]) return false;
        seen[position] = true;
    }
    std::vector<JobListRow> reordered;
    reordered.reserve(rows_.size());
    for (const std::size_t position : order) reordered.push_back(rows_[position]);
    rows_ = std::move(reordered);
    return true;
}

std::optional<std::size_t> JobList::remove_selected_rows() {
    if (busy_) return std::nullopt;
    std::size_t removed = 0;
    for (;;) {
        const auto first = std::find_if(rows_.begin(), rows_.end(),
                                        [](const JobListRow& row) { return row.selected; });
        if (first == rows_.end()) break;
        const std::size_t erased = first->entry;
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(erased));
        rows_.erase(first);
        for (JobListRow& row : rows_)
            if (row.entry > erased) --row.entry;
        ++removed;
    }
    return removed;
}

std::vector<std::string> JobList::row_trace() const {
    std::vector<std::string> lines;
    lines.reserve(rows_.size());
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        lines.push_back(std::to_string(row) + "," + std::to_string(rows_[row].entry) + "," +
                        entries_[rows_[row].entry].sourcePath + "\r\n");
    }
    return lines;
}

std::optional<ConversionReport> JobList::convert_selected(const ConversionOptions& options) {
    if (busy_) return std::nullopt;
    ConversionReport report;
    {
        BusyScope scope(busy_);
        for (const JobListRow& row : rows_) {
            if (!row.selected) continue;
            report.converted.push_back(ConvertedEntry{
                .entry = row.entry, .result = convert_entry(entries_[row.entry], options)});
        }
    }
    report.rows = rebuild().value_or(std::vector<RowTexts>{});
    return report;
}

}  // namespace kalvento
