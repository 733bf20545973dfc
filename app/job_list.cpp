#include "app/job_list.h"

#include "naming/entry_paths.h"
#include "platform/file_ops.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace kalvento {

Job* JobList::find_job(EntryId id) {
    // Ids grow with every entry added and removing keeps the order, so the
    // list stays sorted by id: a search, not a walk, for thousands of entries.
    const auto it =
        std::lower_bound(jobs_.begin(), jobs_.end(), id,
                         [](const Job& job, EntryId wanted) { return job.id < wanted; });
    return it == jobs_.end() || it->id != id ? nullptr : &*it;
}

void JobList::compose_job(Job& job) {
    compose_entry(job.entry, naming_, ruleStep_);
    job.composition = nextComposition_++;
}

const FileEntry* JobList::find(EntryId id) const {
    const Job* job = const_cast<JobList*>(this)->find_job(id);
    return job == nullptr ? nullptr : &job->entry;
}

std::optional<EntryId> JobList::find_path(const std::string& native_path) const {
    for (const Job& job : jobs_) {
        if (job.entry.nativePath == native_path) return job.id;
    }
    return std::nullopt;
}

std::vector<EntryId> JobList::follow_moves(const std::vector<FileMove>& moves) {
    // Each entry's absolute path once, not once per move.
    std::unordered_map<std::string, Job*> by_path;
    for (Job& job : jobs_) by_path.emplace(absolute_normal_path(job.entry.nativePath), &job);
    std::vector<EntryId> followed;
    for (const FileMove& move : moves) {
        const auto found = by_path.find(move.from);
        if (found == by_path.end()) continue;
        Job& job = *found->second;
        by_path.erase(found);
        const int selected = job.entry.selected;
        job.entry = make_file_entry(move.to, std::move(job.entry.candidates));
        job.entry.selected = selected;
        compose_job(job);
        job.entry.converted = false;
        followed.push_back(job.id);
    }
    return followed;
}

AddResult JobList::add_analysed(const std::string& native_path, AnalysisResult analysis,
                                int selected) {
    AddResult result;
    if (const auto existing = find_path(native_path)) {
        result.outcome = AddOutcome::alreadyPresent;
        result.id = *existing;
        return result;
    }
    if (analysis.outcome == AnalysisOutcome::stopped || analysis.candidates.empty()) return result;
    Job job;
    job.id = nextId_++;
    job.entry = make_file_entry(native_path, std::move(analysis.candidates));
    if (selected > 0 && static_cast<std::size_t>(selected) < job.entry.candidates.size())
        job.entry.selected = selected;
    compose_job(job);
    job.entry.converted = false;
    jobs_.push_back(std::move(job));
    result.outcome = AddOutcome::added;
    result.id = jobs_.back().id;
    return result;
}

std::vector<EntryId> JobList::rebuild() {
    std::vector<EntryId> converted;
    for (Job& job : jobs_) {
        compose_job(job);
        if (job.entry.converted) converted.push_back(job.id);
        job.entry.converted = false;
    }
    return converted;
}

bool JobList::compose(EntryId id) {
    Job* job = find_job(id);
    if (job == nullptr) return false;
    compose_job(*job);
    return true;
}

std::optional<FileEntry> JobList::copy(EntryId id) const {
    const FileEntry* entry = find(id);
    if (entry == nullptr) return std::nullopt;
    return *entry;
}

std::uint64_t JobList::composition(EntryId id) const {
    const Job* job = const_cast<JobList*>(this)->find_job(id);
    return job == nullptr ? 0 : job->composition;
}

bool JobList::store_composed(EntryId id, const FileEntry& composed, std::uint64_t composition) {
    Job* job = find_job(id);
    // The entry may have been converted, changed or named anew while the
    // copy was composed; a copy of another state is not taken back.
    if (job == nullptr || job->composition != composition ||
        job->entry.nativePath != composed.nativePath ||
        job->entry.candidates.size() != composed.candidates.size()) {
        return false;
    }
    job->composition = nextComposition_++;
    FileEntry& entry = job->entry;
    entry.newName = composed.newName;
    entry.newPath = composed.newPath;
    entry.nativeNewPath = composed.nativeNewPath;
    entry.tooLong = composed.tooLong;
    entry.selected = composed.selected;
    entry.candidates = composed.candidates;
    entry.decision = composed.decision;
    return true;
}

bool JobList::select_candidate(EntryId id, int candidate) {
    Job* job = find_job(id);
    if (job == nullptr || candidate < 0 ||
        static_cast<std::size_t>(candidate) >= job->entry.candidates.size()) {
        return false;
    }
    job->entry.selected = candidate;
    compose_job(*job);
    return true;
}

bool JobList::set_programme_name(EntryId id, std::string cp932_name) {
    Job* job = find_job(id);
    if (job == nullptr) return false;
    ProgramInfo* info = selected_candidate(job->entry);
    if (info == nullptr) return false;
    info->eventName = std::move(cp932_name);
    compose_job(*job);
    return true;
}

std::size_t JobList::remove(const std::vector<EntryId>& ids) {
    const std::unordered_set<EntryId> doomed(ids.begin(), ids.end());
    const std::size_t before = jobs_.size();
    std::erase_if(jobs_, [&](const Job& job) { return doomed.count(job.id) != 0; });
    return before - jobs_.size();
}

ListConversion JobList::convert(const std::vector<EntryId>& ids, const ConversionOptions& options,
                                MoveRecorder* recorder, const LibraryTarget* library) {
    ListConversion report;
    // Each folder is read once for the companions of all its recordings.
    CompanionListings listings;
    for (const EntryId id : ids) {
        Job* job = find_job(id);
        if (job == nullptr) continue;
        report.converted.push_back(ConvertedEntry{
            .id = id,
            .result = library != nullptr
                          ? place_entry(job->entry, options, *library, recorder, listings)
                          : convert_entry(job->entry, options, recorder, &listings)});
    }
    report.moved = rebuild();
    return report;
}

}  // namespace kalvento
