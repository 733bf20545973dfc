// What kalvento-cli rename says of each file: the report of one file named on
// the command line, and its JSON line or text lines.
#pragma once

#include "app/conversion.h"
#include "app/job_list.h"
#include "cli/candidate_choice.h"
#include "cli/coverage_output.h"
#include "cli/translation.h"
#include "naming/rename.h"

#include <optional>
#include <string>
#include <vector>

namespace kalvento::cli {

// What happened to one file named on the command line.
struct FileReport {
    std::string path;           // as given
    std::optional<EntryId> id;  // its job-list entry, when it has one
    bool duplicate = false;     // named before; reported there
    std::string status;         // JSON status word
    Said message;               // English in JSON, translated in text
    std::string newPath;        // native target: moved to, planned, or composed
    ConvertResult result;
    std::vector<std::string> warnings;  // of the rules that named it (CP932)
    bool success = false;
    bool retryLater = false;     // left for a schedule service that could not be reached
    bool choiceMissing = false;  // the programme --pick or the ids asked for is not there
    std::optional<ProgrammeCoverage> coverage;  // of the programme the ids asked for
};

// The report's fields from what the conversion did with the file.
void fill_from_conversion(FileReport& report, const FileConversion& file);

// One JSON line (see docs/json.md); `explain`, when given, is the choice of
// candidate whose decision is told.
void print_json(const FileReport& report, const JobList& jobs, bool dry_run,
                ConversionAction action, const CandidateChoice* explain);

// The human lines: the file, its new name or why it stays, its companions.
void print_text(const FileReport& report, bool dry_run, ConversionAction action);

}  // namespace kalvento::cli
