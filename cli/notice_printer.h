// The command line's notice sink: what long operations tell goes to
// standard error, one line each, in the forms the tool has always used.
#pragma once

#include "platform/notice.h"

namespace kalvento::cli {

// Warnings as "kalvento-cli: warning: [FILE: ]TEXT", errors as
// "kalvento-cli: [FILE: ]TEXT"; details only with `details` (--verbose), as
// "SOURCE: TEXT".
NoticeSink standard_error_notices(bool details = false);

}  // namespace kalvento::cli
