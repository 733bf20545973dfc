#include "cli/coverage_output.h"

#include "cli/json_output.h"
#include "cli/translation.h"
#include "platform/message_mark.h"

#include <cmath>

namespace kalvento::cli {
namespace {

constexpr double kShareDecimals = 1000.0;

nlohmann::ordered_json edge_json(const std::optional<ProgrammeAtEdge>& edge) {
    if (!edge) return nullptr;
    nlohmann::ordered_json json;
    json["serviceId"] = edge->serviceId;
    json["eventId"] = edge->eventId;
    json["eventName"] = utf8_for_output(edge->eventName);
    return json;
}

std::string edge_text(const std::optional<ProgrammeAtEdge>& edge,
                      const std::string& unknown = _("unknown")) {
    if (!edge) return unknown;
    std::string text = std::to_string(edge->serviceId) + "/" + std::to_string(edge->eventId);
    if (!edge->eventName.empty()) text += " " + utf8_for_output(edge->eventName);
    return text;
}

std::string share_text(const ProgrammeCoverage& coverage, const std::string& unknown) {
    return coverage.share ? std::to_string(std::lround(*coverage.share * 100)) + "%" : unknown;
}

}  // namespace

std::optional<ProgrammeCoverage> chosen_coverage(const AnalysisResult& analysis,
                                                 const CandidateChoice& choice,
                                                 std::optional<int> chosen) {
    if (!choice.by_ids()) return std::nullopt;
    if (chosen && *chosen >= 0 && static_cast<std::size_t>(*chosen) < analysis.candidates.size()) {
        const ProgramInfo& info = analysis.candidates[static_cast<std::size_t>(*chosen)];
        return programme_coverage(analysis.presence, analysis.candidates, info.serviceId,
                                  info.eventId);
    }
    if (!choice.serviceId || !choice.eventId) return std::nullopt;
    return programme_coverage(analysis.presence, analysis.candidates,
                              static_cast<std::uint16_t>(*choice.serviceId),
                              static_cast<std::uint16_t>(*choice.eventId));
}

nlohmann::ordered_json coverage_json(const std::optional<ProgrammeCoverage>& coverage) {
    if (!coverage) return nullptr;
    nlohmann::ordered_json json;
    json["serviceId"] = coverage->serviceId;
    json["eventId"] = coverage->eventId;
    json["share"] = nullptr;
    if (coverage->share)
        json["share"] = std::round(*coverage->share * kShareDecimals) / kShareDecimals;
    json["atStart"] = edge_json(coverage->atStart);
    json["atEnd"] = edge_json(coverage->atEnd);
    return json;
}

std::string coverage_listing(const ProgrammeCoverage& coverage) {
    return fill(_("  coverage of service %s, event %s: %s of the window\n"
                  "      at its start: %s\n"
                  "      at its end:   %s\n"),
                {std::to_string(coverage.serviceId), std::to_string(coverage.eventId),
                 share_text(coverage, _("unknown")), edge_text(coverage.atStart),
                 edge_text(coverage.atEnd)});
}

Said coverage_warning(const std::optional<ProgrammeCoverage>& coverage) {
    if (!coverage || !coverage->doubtful()) return {};
    // Once in English for JSON, once in the user's language.
    const auto text = [&coverage](const auto& word) {
        return fill(word(N_("the programme asked for (service %s, event %s) was on air for %s of "
                            "the analysed window; at its start %s, at its end %s: a late start, "
                            "a wrong channel or an overrun?")),
                    {std::to_string(coverage->serviceId), std::to_string(coverage->eventId),
                     share_text(*coverage, word(N_("an unknown share"))),
                     edge_text(coverage->atStart, word(N_("unknown"))),
                     edge_text(coverage->atEnd, word(N_("unknown")))});
    };
    return Said(text([](const char* english) { return std::string(english); }),
                text([](const char* english) { return _(english); }));
}

}  // namespace kalvento::cli
