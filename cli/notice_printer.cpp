#include "cli/notice_printer.h"

#include "cli/json_output.h"
#include "cli/translation.h"

#include <iostream>

namespace kalvento::cli {

NoticeSink standard_error_notices(bool details) {
    return NoticeSink([details](const Notice& notice) {
        const std::string about =
            notice.subject.empty() ? std::string() : path_for_text(notice.subject) + ": ";
        switch (notice.level) {
            case NoticeLevel::detail:
                if (details) std::cerr << notice.source << ": " << notice.text << "\n";
                break;
            case NoticeLevel::warning:
                std::cerr << "kalvento-cli: " << _("warning: ") << about << shown(notice.text)
                          << "\n";
                break;
            case NoticeLevel::error:
                std::cerr << "kalvento-cli: " << about << shown(notice.text) << "\n";
                break;
        }
    });
}

}  // namespace kalvento::cli
