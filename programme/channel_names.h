// Channel names: the user's own names from "ChSet3.txt", the names of the
// services of one recording, and the three channel fields of a candidate.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "programme/program_info.h"
#include "ts/service_table.h"

namespace kalvento {

// Decoded service and TS names are kept to this many bytes.
inline constexpr std::size_t kServiceNameTextMax = 99;
// A channel file larger than this is read only up to here.
inline constexpr std::size_t kChannelFileMax = 16 * 1024 * 1024;

// original_network_id x 2^32 + (transport_stream_id mod 65536) x 65536 +
// (service_id mod 65536).
std::uint64_t channel_key(std::int64_t original_network_id, std::int64_t transport_stream_id,
                          std::int64_t service_id);

// The user's channel names, loaded once at start-up.
struct ChannelNameMap {
    std::map<std::uint64_t, std::string> names;  // CP932 names by channel_key

    // The name registered for the service, or nullptr.
    const std::string* find(std::uint16_t original_network_id, std::uint16_t transport_stream_id,
                            std::uint16_t service_id) const;
};

// Clears the map and reads the channel file at `path` (native path). A missing
// or empty file leaves the map empty.
void load_channel_names(ChannelNameMap& map, const std::string& path);

// Reads channel-file content: lines end in CR LF (a lone LF is taken as well),
// fields are separated by TABs: name, service_id, transport_stream_id,
// original_network_id and three numbers that are not used. The earlier of two
// lines with the same key wins.
void parse_channel_names(ChannelNameMap& map, std::string_view content);

// Reads a decimal number the way the channel file has always been read:
// optional leading blanks and sign, then the leading digits; 0 without digits.
// Values beyond the int range stop at its ends.
int read_channel_number(std::string_view field);

// The names of one service of a recording.
struct ServiceNameSet {
    std::string name1;  // TS name (main channel), else service name, else label
    std::string name2;  // service name, else name1
    std::string label;  // ChSet3.txt name, else BS%d / CS%d / %dch / %d
};

// The names of every service of a recording, built after the read.
struct ServiceNames {
    std::map<std::uint16_t, ServiceNameSet> byService;
    // networkKind of the last record of the service table: the numbered label
    // of a programme without a record of its own uses it.
    std::uint8_t lastNetworkKind = 0;
};

ServiceNames build_service_names(const ServiceTable& services, const ChannelNameMap& channels);

// Fills channelName, serviceName and channelLabel of a candidate of programme
// `program_number` whose video component type is `video_type` (0 when none).
void set_channel_fields(const ServiceNames& names, std::uint16_t program_number,
                        std::uint8_t video_type, ProgramInfo& info);

}  // namespace kalvento
