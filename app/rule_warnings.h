// The warnings of the rules that named an entry (patterns that could not be
// used), told once, when the entry joins the list: composing it again gives
// the same warnings and tells nothing new.
#pragma once

#include "naming/file_entry.h"
#include "platform/notice.h"

#include <string>

namespace kalvento {

// Each of the entry's rule warnings as a warning from "rules" about `subject`
// (the file as the user named it).
void tell_rule_warnings(const FileEntry& entry, const std::string& subject,
                        const NoticeSink& notices);

}  // namespace kalvento
