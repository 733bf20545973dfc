// Changing the settings file that both front ends share. Every writer loads,
// changes and saves it while holding the lock on "kalvento.ini.lock" beside
// it, reading the file anew under the lock, so two writers never lose each
// other's changes. A change whose result the loader would refuse (larger than
// it reads) is not saved and the old file stays. The lock is waited for as
// the caller says (a minute by default); a lock file of another user's, or
// one others may write to, is refused.
#pragma once

#include "platform/file_lock.h"
#include "platform/profile_file.h"
#include "platform/result.h"
#include "rules/rule_store.h"

#include <functional>
#include <string>

namespace kalvento {

inline constexpr std::string_view kSettingsLockSuffix = ".lock";

// Loads the settings file at `path` under the lock, lets `change` edit it and
// saves it when anything changed. `change` returns an error to abandon the
// update without saving. An error names the file; it is `busy` when the lock
// stayed held by another process, and then nothing was changed.
Status update_settings_file(const std::string& path,
                            const std::function<Status(ProfileFile&)>& change,
                            const LockWait& wait = {});

// Commits the edits of a rule list's working copy. The copy was made from
// `base`; under the lock the file's rules are read anew and the copy's
// changes are applied to them: rules the copy dropped are removed, rules it
// changed (Modified) replace theirs and new rules are added, so rules another
// process saved meanwhile stay. `committed` receives the rules now stored.
Status commit_rule_changes(const std::string& path, const RuleList& base,
                           const RuleList& working_copy, RuleList* committed = nullptr,
                           const LockWait& wait = {});

}  // namespace kalvento
