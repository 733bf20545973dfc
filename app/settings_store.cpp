#include "app/settings_store.h"

#include "app/side_files.h"
#include "platform/file_lock.h"

#include <algorithm>
#include <filesystem>
#include <set>

namespace kalvento {

Status update_settings_file(const std::string& path,
                            const std::function<Status(ProfileFile&)>& change,
                            const LockWait& wait) {
    std::string error;
    // The first save of a new user makes the settings folder (~/.config/kalvento).
    const std::string directory = std::filesystem::path(path).parent_path().string();
    if (!directory.empty() && !create_directory_for_saving(directory, error))
        return Error::failed(error);
    LockOutcome outcome = LockOutcome::failed;
    const auto lock =
        FileLock::acquire(path + std::string(kSettingsLockSuffix), error, wait, &outcome);
    if (!lock)
        return Error{outcome == LockOutcome::busy ? ErrorCode::busy : ErrorCode::failed, error};
    ProfileFile profile = ProfileFile::load(path);
    if (!profile.load_result().ok()) return Error::failed(profile.load_result().message);
    if (Status changed = change(profile); !changed) return changed;
    if (profile.modified()) {
        const ProfileResult saved = profile.save();
        if (!saved.ok()) return Error::failed(saved.message);
    }
    return {};
}

namespace {

// The working copy's changes against `base`, applied to `current`.
RuleList merge_rule_changes(const RuleList& current, const RuleList& base,
                            const RuleList& working_copy) {
    std::set<std::int32_t> base_sections;
    for (const RenameRule& rule : base) base_sections.insert(rule.SectionIndex);
    std::set<std::int32_t> kept_sections;
    for (const RenameRule& rule : working_copy) kept_sections.insert(rule.SectionIndex);

    RuleList merged = current;
    std::erase_if(merged, [&](const RenameRule& rule) {
        return base_sections.count(rule.SectionIndex) != 0 &&
               kept_sections.count(rule.SectionIndex) == 0;
    });
    for (const RenameRule& rule : working_copy) {
        if (rule.Modified == 0) continue;
        const auto same_section =
            std::find_if(merged.begin(), merged.end(),
                         [&](const RenameRule& r) { return r.SectionIndex == rule.SectionIndex; });
        if (base_sections.count(rule.SectionIndex) != 0 && same_section != merged.end()) {
            replace_rule(merged, static_cast<std::size_t>(same_section - merged.begin()), rule);
        } else {
            add_new_rule(merged, rule);
        }
    }
    return merged;
}

}  // namespace

Status commit_rule_changes(const std::string& path, const RuleList& base,
                           const RuleList& working_copy, RuleList* committed,
                           const LockWait& wait) {
    return update_settings_file(
        path,
        [&](ProfileFile& profile) -> Status {
            const RuleList current = load_rules(profile);
            RuleList stored =
                save_rules(profile, current, merge_rule_changes(current, base, working_copy));
            if (committed != nullptr) *committed = std::move(stored);
            return {};
        },
        wait);
}

}  // namespace kalvento
