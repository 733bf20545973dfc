// The coverage of the programme a recording manager asked for (--program-id,
// --service-id, --event-id), for analyse and rename: its JSON form and the
// warning when the recording is mostly something else.
#pragma once

#include "cli/candidate_choice.h"
#include "cli/translation.h"
#include "programme/coverage.h"
#include "programme/file_analysis.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace kalvento::cli {

// The coverage of the programme the ids name: the chosen candidate's
// service and event, or, when the file has none such, the service and event
// given. nullopt without ids, or when they do not name one event.
std::optional<ProgrammeCoverage> chosen_coverage(const AnalysisResult& analysis,
                                                 const CandidateChoice& choice,
                                                 std::optional<int> chosen);

// {"serviceId", "eventId", "share" (0..1, 3 decimals, or null), "atStart",
// "atEnd" ({"serviceId", "eventId", "eventName"} or null)}, or null.
nlohmann::ordered_json coverage_json(const std::optional<ProgrammeCoverage>& coverage);

// The lines analyse lists it in: the share, and the programmes at the
// window's start and end.
std::string coverage_listing(const ProgrammeCoverage& coverage);

// Why the coverage is doubtful, in words (English and translated); empty
// when it is not.
Said coverage_warning(const std::optional<ProgrammeCoverage>& coverage);

}  // namespace kalvento::cli
