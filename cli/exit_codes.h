// The exit codes of kalvento-cli, for scripts and recording managers.
#pragma once

namespace kalvento::cli {

inline constexpr int kExitDone = 0;        // every file ended as asked
inline constexpr int kExitSomeFailed = 1;  // some file was not renamed (or could not be read)
inline constexpr int kExitUsage = 2;       // wrong arguments, or the settings cannot be read
// Some file was left for a later run because a service it needs could not be
// reached (EX_TEMPFAIL): try again later.
inline constexpr int kExitTryAgain = 75;

}  // namespace kalvento::cli
