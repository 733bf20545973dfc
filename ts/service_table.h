// Services of one recording, as the NIT, SDT, EIT and SIT describe them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kalvento {

inline constexpr std::size_t kMaxServices = 300;
inline constexpr std::size_t kServiceNameMax = 50;  // raw ARIB bytes kept of a service name
inline constexpr std::size_t kTsNameMax = 51;       // raw ARIB bytes kept of a TS name

// Network class of a network or original-network identifier: 4 = BS, 6 and 7 =
// the two CS networks, 0 for terrestrial and everything else.
constexpr std::uint8_t network_kind_of(std::uint16_t network_id) {
    return network_id >= 4 && network_id <= 7 ? static_cast<std::uint8_t>(network_id) : 0;
}

// The event of a partial transport stream, from its SIT.
struct SitEvent {
    std::uint16_t serviceId = 0;
    std::array<std::uint8_t, 5> start{};     // 16-bit MJD, then hour, minute, second in BCD
    std::array<std::uint8_t, 3> duration{};  // hour, minute, second in BCD
    std::vector<std::uint8_t> descriptors;   // the service-loop descriptor bytes
    // An event without descriptor bytes counts as no SIT event.
    bool present() const { return !descriptors.empty(); }
};

struct ServiceRecord {
    std::uint16_t serviceId = 0;
    std::uint8_t networkKind = 0;
    std::vector<std::uint8_t> serviceName;          // raw ARIB text, at most kServiceNameMax bytes
    std::uint8_t remoteControlKeyId = 0;            // 0 = none
    std::vector<std::uint8_t> tsName;               // raw ARIB text, at most kTsNameMax bytes
    std::uint16_t transportStreamId = 0;            // from the EIT header
    std::uint16_t originalNetworkId = 0;            // from the EIT header
    std::vector<std::uint8_t> presentEventSection;  // last EIT present section
    SitEvent sitEvent;
};

// At most 300 services, kept sorted by (networkKind, serviceId).
class ServiceTable {
  public:
    static constexpr int kFull = static_cast<int>(kMaxServices);

    ServiceTable() { records_.reserve(kMaxServices); }

    // Index of the record with both keys, or -1.
    int find(std::uint16_t service_id, std::uint8_t kind) const;
    // Index of the record with both keys, inserted in order when missing; kFull
    // when the table holds 300 records already.
    int find_or_add(std::uint16_t service_id, std::uint8_t kind);

    std::size_t size() const { return records_.size(); }
    bool empty() const { return records_.empty(); }
    ServiceRecord& operator[](std::size_t index) { return records_[index]; }
    const ServiceRecord& operator[](std::size_t index) const { return records_[index]; }
    auto begin() const { return records_.begin(); }
    auto end() const { return records_.end(); }
    const ServiceRecord& back() const { return records_.back(); }
    void clear() { records_.clear(); }

  private:
    std::vector<ServiceRecord> records_;
};

}  // namespace kalvento
