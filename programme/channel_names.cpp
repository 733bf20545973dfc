#include "programme/channel_names.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <vector>

#include "platform/cp932_text.h"
#include "platform/file_io.h"
#include "ts/arib_text.h"

namespace kalvento {
namespace {

constexpr std::size_t kNameDecodeExtra = 20;  // decode buffer: 2 x source + 20 bytes
constexpr std::uint8_t kKindBs = 4;
constexpr std::uint8_t kKindCs1 = 6;
constexpr std::uint8_t kKindCs2 = 7;
constexpr int kChannelFileFields = 7;  // name, three key numbers, three unused numbers

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string numbered_label(std::uint8_t kind, std::uint16_t service_id) {
    char buffer[16];
    if (kind == kKindBs) {
        std::snprintf(buffer, sizeof buffer, "BS%d", service_id);
    } else if (kind == kKindCs1 || kind == kKindCs2) {
        std::snprintf(buffer, sizeof buffer, "CS%d", service_id);
    } else {
        std::snprintf(buffer, sizeof buffer, "%d", service_id);
    }
    return buffer;
}

std::string decode_name(const std::vector<std::uint8_t>& raw) {
    std::string name = arib_to_sjis(raw.data(), raw.size(), kNameDecodeExtra);
    cut_cp932(name, kServiceNameTextMax);
    return name;
}

void parse_channel_line(ChannelNameMap& map, std::string_view line) {
    // The seventh field is everything behind the sixth TAB; only fields 2 to 4
    // make the key.
    std::string_view fields[kChannelFileFields];
    int count = 0;
    while (count < kChannelFileFields - 1) {
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos) break;
        fields[count++] = line.substr(0, tab);
        line.remove_prefix(tab + 1);
    }
    fields[count] = line;
    const int service_id = read_channel_number(fields[1]);
    const int transport_stream_id = read_channel_number(fields[2]);
    const int original_network_id = read_channel_number(fields[3]);
    map.names.emplace(channel_key(original_network_id, transport_stream_id, service_id),
                      std::string(fields[0]));  // emplace keeps the earlier line
}

}  // namespace

std::uint64_t channel_key(std::int64_t original_network_id, std::int64_t transport_stream_id,
                          std::int64_t service_id) {
    // Unsigned arithmetic: a negative network id from a damaged line wraps
    // instead of overflowing.
    return (static_cast<std::uint64_t>(original_network_id) << 32) +
           (static_cast<std::uint64_t>(transport_stream_id & 0xFFFF) << 16) +
           static_cast<std::uint64_t>(service_id & 0xFFFF);
}

const std::string* ChannelNameMap::find(std::uint16_t original_network_id,
                                        std::uint16_t transport_stream_id,
                                        std::uint16_t service_id) const {
    const auto it = names.find(channel_key(original_network_id, transport_stream_id, service_id));
    return it == names.end() ? nullptr : &it->second;
}

int read_channel_number(std::string_view field) {
    std::size_t position = 0;
    while (position < field.size() && is_blank(field[position])) ++position;
    bool negative = false;
    if (position < field.size() && (field[position] == '+' || field[position] == '-')) {
        negative = field[position] == '-';
        ++position;
    }
    long long value = 0;
    for (; position < field.size() && field[position] >= '0' && field[position] <= '9';
         ++position) {
        if (value <= INT_MAX) value = value * 10 + (field[position] - '0');
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

void parse_channel_names(ChannelNameMap& map, std::string_view content) {
    while (!content.empty()) {
        const std::size_t end = content.find('\n');
        std::string_view line = content.substr(0, end);
        content = end == std::string_view::npos ? std::string_view() : content.substr(end + 1);
        // Windows writes CR LF; a lone LF from an editor elsewhere is taken too.
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty()) parse_channel_line(map, line);
    }
}

void load_channel_names(ChannelNameMap& map, const std::string& path) {
    map.names.clear();
    const FileRead file = read_small_file(path, kChannelFileMax, true);
    if (file.ok()) parse_channel_names(map, file.bytes);
}

ServiceNames build_service_names(const ServiceTable& services, const ChannelNameMap& channels) {
    ServiceNames result;
    const ServiceRecord* before = nullptr;
    for (const ServiceRecord& record : services) {
        ServiceNameSet set;
        const bool satellite = record.networkKind == kKindBs || record.networkKind == kKindCs1 ||
                               record.networkKind == kKindCs2;
        if (!satellite && record.remoteControlKeyId > 0) {
            set.label = std::to_string(record.remoteControlKeyId) + "ch";
        } else {
            set.label = numbered_label(record.networkKind, record.serviceId);
        }
        // The service right after a main channel of the same multiplex is its
        // sub-channel; the TS name belongs to the main channel only.
        const bool sub_channel = (record.networkKind == 0 || record.networkKind == kKindBs) &&
                                 before != nullptr && record.serviceId == before->serviceId + 1;
        if (!record.tsName.empty() && !sub_channel) {
            set.name1 = decode_name(record.tsName);
        } else if (!record.serviceName.empty()) {
            set.name1 = decode_name(record.serviceName);
        } else {
            set.name1 = set.label;
        }
        set.name2 = record.serviceName.empty() ? set.name1 : decode_name(record.serviceName);
        if (const std::string* own = channels.find(record.originalNetworkId,
                                                   record.transportStreamId, record.serviceId)) {
            set.label = *own;
        }
        result.byService[record.serviceId] = std::move(set);
        before = &record;
    }
    if (!services.empty()) result.lastNetworkKind = services.back().networkKind;
    return result;
}

void set_channel_fields(const ServiceNames& names, std::uint16_t program_number,
                        std::uint8_t video_type, ProgramInfo& info) {
    const auto it = names.byService.find(program_number);
    if (it == names.byService.end()) {
        info.channelLabel = numbered_label(names.lastNetworkKind, program_number);
        info.channelName = info.channelLabel;
        info.serviceName = info.channelLabel;
        return;
    }
    const ServiceNameSet& set = it->second;
    info.serviceName = set.name2;
    info.channelLabel = set.label;
    // Standard-definition video (480i, 480p, or no component descriptor) is a
    // sub-channel's own programme: name it by its service, not by the TS name.
    const int resolution = video_type >> 4;
    info.channelName = resolution == 0x0 || resolution == 0xA ? set.name2 : set.name1;
}

}  // namespace kalvento
