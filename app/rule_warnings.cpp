#include "app/rule_warnings.h"

#include "platform/codepage.h"

namespace kalvento {

void tell_rule_warnings(const FileEntry& entry, const std::string& subject,
                        const NoticeSink& notices) {
    for (const std::string& warning : entry.ruleWarnings)
        notices(Notice{NoticeLevel::warning, "rules", subject, cp932_to_utf8_lossy(warning)});
}

}  // namespace kalvento
