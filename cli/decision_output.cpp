#include "cli/decision_output.h"

#include "cli/json_output.h"
#include "cli/translation.h"
#include "naming/compose.h"
#include "rules/numbering_entry_text.h"
#include "text/fields.h"

namespace kalvento::cli {
namespace {

using Json = nlohmann::ordered_json;

const char* candidate_reason(const CandidateChoice& choice) {
    if (choice.programId) return "programId";
    if (choice.by_ids()) return "ids";
    if (choice.pick > 0) return "pick";
    return "largestShare";
}

const char* named_by_word(NamedBy by) {
    switch (by) {
        case NamedBy::rule:
            return "rule";
        case NamedBy::oneTemplate:
            return "template";
        case NamedBy::currentName:
            return "currentName";
        case NamedBy::items:
            break;
    }
    return "items";
}

const char* outcome_word(ScheduleOutcome outcome) {
    switch (outcome) {
        case ScheduleOutcome::found:
            return "found";
        case ScheduleOutcome::notFound:
            return "notFound";
        case ScheduleOutcome::unreachable:
            return "unreachable";
        case ScheduleOutcome::notAsked:
            break;
    }
    return "notAsked";
}

// An entry in its command-line form, "2010-01-05:7:tue", split up.
struct EntryParts {
    std::string start;
    std::vector<std::string> days;
};

EntryParts entry_parts(const NumberingEntry& entry) {
    const std::vector<std::string> parts = split_fields(numbering_entry_text(entry), ":", false);
    EntryParts split;
    if (!parts.empty()) split.start = parts[0];
    if (parts.size() > 2 && !parts[2].empty()) split.days = split_fields(parts[2], ",", false);
    return split;
}

Json candidate_part(const FileEntry& entry, const CandidateChoice& choice) {
    Json json;
    json["number"] = entry.selected + 1;
    json["reason"] = candidate_reason(choice);
    const ProgramInfo* info = selected_candidate(entry);
    json["videoPackets"] = info != nullptr ? info->videoPackets : 0;
    return json;
}

Json schedule_part(const ScheduleDecision& schedule) {
    Json json;
    json["keyword"] = utf8_for_output(schedule.keyword);
    // One broadcast day is searched: the range begins and ends on it.
    json["from"] = schedule.day;
    json["to"] = schedule.day;
    json["found"] = schedule.outcome == ScheduleOutcome::found;
    json["outcome"] = outcome_word(schedule.outcome);
    json["remembered"] = schedule.remembered;
    json["row"] = nullptr;
    if (schedule.outcome == ScheduleOutcome::found) {
        json["row"] = Json{{"title", utf8_for_output(schedule.title)},
                           {"numbers", utf8_for_output(schedule.numbers)},
                           {"subtitle", utf8_for_output(schedule.subtitle)},
                           {"channel", utf8_for_output(schedule.channel)}};
    }
    return json;
}

Json numbering_part(const NumberingDecision& numbering) {
    Json json;
    json["entry"] = nullptr;
    if (numbering.entry) {
        const EntryParts parts = entry_parts(*numbering.entry);
        json["entry"] =
            Json{{"start", parts.start}, {"first", numbering.entry->StartNo}, {"days", parts.days}};
    }
    json["count"] = numbering.count;
    return json;
}

std::string quoted(const std::string& cp932_text) {
    return "\"" + utf8_for_output(cp932_text) + "\"";
}

std::string candidate_line(const FileEntry& entry, const CandidateChoice& choice) {
    std::string line = fill(_("candidate %s of %s: "), {std::to_string(entry.selected + 1),
                                                        std::to_string(entry.candidates.size())});
    const ProgramInfo* info = selected_candidate(entry);
    if (choice.programId) return line + _("the programme --program-id names");
    if (choice.by_ids()) {
        return line + fill(_("service %s, event %s, as the ids asked"),
                           {std::to_string(info ? info->serviceId : 0),
                            std::to_string(info ? info->eventId : 0)});
    }
    if (choice.pick > 0)
        return line + fill(_("chosen by --pick %s"), {std::to_string(choice.pick)});
    return line + fill(_("the largest share of the analysed window (%s video packets)"),
                       {std::to_string(info ? info->videoPackets : 0)});
}

std::string naming_line(const NamingDecision& decision) {
    switch (decision.namedBy) {
        case NamedBy::rule: {
            // The patterns it has: a rule on the station alone has no find text.
            std::string patterns;
            if (!decision.findText.empty()) patterns = quoted(decision.findText);
            if (!decision.findTextCh.empty())
                patterns += (patterns.empty() ? "" : " / ") + quoted(decision.findTextCh);
            return fill(_("rule %s matched (%s)"), {std::to_string(decision.ruleNumber), patterns});
        }
        case NamedBy::oneTemplate:
            return _("named by --template");
        case NamedBy::currentName:
            return _("NotRename is set: every file keeps its name");
        case NamedBy::items:
            break;
    }
    return decision.rulesTried
               ? _("no rule matched: the chosen items were used")
               : _("rename rules are off (OmbrixRename): the chosen items were used");
}

std::string schedule_line(const ScheduleDecision& schedule) {
    std::string line = fill(_("schedule service: %s from %s to %s: "),
                            {quoted(schedule.keyword), schedule.day, schedule.day});
    switch (schedule.outcome) {
        case ScheduleOutcome::found:
            line += fill(_("found %s"), {quoted(schedule.title)});
            if (!schedule.numbers.empty()) line += " " + utf8_for_output(schedule.numbers);
            if (!schedule.subtitle.empty()) line += " " + quoted(schedule.subtitle);
            break;
        case ScheduleOutcome::notFound:
            line += _("nothing found");
            break;
        case ScheduleOutcome::unreachable:
            line += _("the service could not be reached");
            break;
        case ScheduleOutcome::notAsked:
            line += _("not asked (nothing to search for)");
            break;
    }
    return line + (schedule.remembered ? _(" (the answer of an earlier search)") : "");
}

std::string numbering_line(const NumberingDecision& numbering) {
    if (!numbering.entry) return _("episode 0: no numbering entry on or before the broadcast");
    return fill(_("episode %s counted from the numbering entry %s (date:first number:days)"),
                {std::to_string(numbering.count), numbering_entry_text(*numbering.entry)});
}

// A file without programme data was not named: there is nothing to explain.
bool was_named(const FileEntry& entry) {
    const ProgramInfo* info = selected_candidate(entry);
    return entry.decision.namedBy == NamedBy::currentName ||
           (info != nullptr && info->startTime != 0);
}

}  // namespace

void add_explain_option(CLI::App& command, bool& explain, const std::string& what) {
    command.add_flag("--explain", explain,
                     what + _(": the candidate taken, the rename rule that matched\n"
                              "(or the items), the schedule service's answer and the episode "
                              "count"));
}

Json decision_json(const FileEntry& entry, const CandidateChoice& choice) {
    if (!was_named(entry)) return nullptr;
    const NamingDecision& decision = entry.decision;
    Json json;
    json["candidate"] = candidate_part(entry, choice);
    json["namedBy"] = named_by_word(decision.namedBy);
    json["rule"] = nullptr;
    if (decision.namedBy == NamedBy::rule) {
        json["rule"] = Json{{"number", decision.ruleNumber},
                            {"findText", utf8_for_output(decision.findText)},
                            {"findTextCh", utf8_for_output(decision.findTextCh)}};
    }
    json["schedule"] = nullptr;
    if (decision.schedule) json["schedule"] = schedule_part(*decision.schedule);
    json["numbering"] = nullptr;
    if (decision.numbering) json["numbering"] = numbering_part(*decision.numbering);
    return json;
}

std::string decision_lines(const FileEntry& entry, const CandidateChoice& choice) {
    if (!was_named(entry)) return {};
    const NamingDecision& decision = entry.decision;
    const std::string why = _("  why: ");
    std::string text = why + candidate_line(entry, choice) + "\n";
    text += why + naming_line(decision) + "\n";
    if (decision.schedule) text += why + schedule_line(*decision.schedule) + "\n";
    if (decision.numbering) text += why + numbering_line(*decision.numbering) + "\n";
    return text;
}

}  // namespace kalvento::cli
