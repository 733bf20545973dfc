#include "cli/json_output.h"

#include "platform/codepage.h"

namespace kalvento::cli {

std::string utf8_for_output(const std::string& cp932_text) {
    return cp932_to_utf8_lossy(cp932_text);
}

nlohmann::ordered_json program_info_json(const ProgramInfo& info) {
    nlohmann::ordered_json json;
    auto text = [&](const char* name, const std::string& value) {
        json[name] = utf8_for_output(value);
    };
    text("eventName", info.eventName);
    text("title", info.title);
    text("eventText", info.eventText);
    text("extendedText", info.extendedText);
    text("channelName", info.channelName);
    text("serviceName", info.serviceName);
    text("channelLabel", info.channelLabel);
    text("queryRow", info.queryRow);
    text("queryTitle", info.queryTitle);
    text("resultTitle", info.resultTitle);
    text("resultNumbers", info.resultNumbers);
    text("resultSubtitle", info.resultSubtitle);
    text("resultChannel", info.resultChannel);
    text("queryCell", info.queryCell);
    text("querySpan", info.querySpan);
    text("queryKey", info.queryKey);
    text("queryMemo", info.queryMemo);
    text("dateMD", info.dateMD);
    text("timeHM", info.timeHM);
    text("dateMD28", info.dateMD28);
    text("timeHM28", info.timeHM28);
    text("dateYMDJ", info.dateYMDJ);
    text("dateYMDJ28", info.dateYMDJ28);
    text("dateYMDSlash", info.dateYMDSlash);
    text("dateYMDSlash28", info.dateYMDSlash28);
    text("timeColon", info.timeColon);
    text("timeColon28", info.timeColon28);
    text("stamp", info.stamp);
    text("stamp28", info.stamp28);
    text("dateISO", info.dateISO);
    text("dateISO28", info.dateISO28);
    text("dateDots", info.dateDots);
    text("dateDots28", info.dateDots28);
    text("dateCompact", info.dateCompact);
    text("dateCompact28", info.dateCompact28);
    text("avText", info.avText);
    text("genre", info.genre);
    text("genreMajor", info.genreMajor);
    text("genreMinor", info.genreMinor);
    text("eventTextFlat", info.eventTextFlat);
    text("eventTextLine", info.eventTextLine);
    json["serviceId"] = info.serviceId;
    json["eventId"] = info.eventId;
    json["originalNetworkId"] = info.originalNetworkId;
    json["videoPackets"] = info.videoPackets;
    json["startTime"] = info.startTime;
    json["endTime"] = info.endTime;
    return json;
}

std::string json_line(const nlohmann::ordered_json& value) {
    return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string path_for_text(const std::string& path) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string shown;
    shown.reserve(path.size());
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '\\') {
            shown += "\\x";
            shown += kHex[byte >> 4];
            shown += kHex[byte & 0x0F];
        } else {
            shown += c;
        }
    }
    return shown;
}

}  // namespace kalvento::cli
