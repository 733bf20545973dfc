#include "cli/coverage_output.h"

#include "cli/json_output.h"

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

std::string edge_text(const std::optional<ProgrammeAtEdge>& edge) {
    if (!edge) return "unknown";
    std::string text = std::to_string(edge->serviceId) + "/" + std::to_string(edge->eventId);
    if (!edge->eventName.empty()) text += " " + utf8_for_output(edge->eventName);
    return text;
}

std::string share_text(const ProgrammeCoverage& coverage, const char* unknown) {
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
    return "  coverage of service " + std::to_string(coverage.serviceId) + ", event " +
           std::to_string(coverage.eventId) + ": " + share_text(coverage, "unknown") +
           " of the window\n      at its start: " + edge_text(coverage.atStart) +
           "\n      at its end:   " + edge_text(coverage.atEnd) + "\n";
}

std::string coverage_warning(const std::optional<ProgrammeCoverage>& coverage) {
    if (!coverage || !coverage->doubtful()) return {};
    const std::string share = share_text(*coverage, "an unknown share");
    return "the programme asked for (service " + std::to_string(coverage->serviceId) + ", event " +
           std::to_string(coverage->eventId) + ") was on air for " + share +
           " of the analysed window; at its start " + edge_text(coverage->atStart) +
           ", at its end " + edge_text(coverage->atEnd) +
           ": a late start, a wrong channel or an overrun?";
}

}  // namespace kalvento::cli
