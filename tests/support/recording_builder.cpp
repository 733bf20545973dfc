#include "tests/support/recording_builder.h"

#include <optional>

namespace kalvento::test {
namespace {

constexpr std::uint16_t kPatPid = 0x0000;
constexpr std::uint16_t kNitPid = 0x0010;
constexpr std::uint16_t kSdtPid = 0x0011;
constexpr std::uint16_t kEitPid = 0x0012;
constexpr std::uint16_t kSitPid = 0x001F;

std::size_t current_event(const RecordingService& service, double progress) {
    std::size_t index = 0;
    for (std::size_t i = 0; i < service.events.size(); ++i)
        if (service.events[i].from <= progress) index = i;
    return index;
}

EitEvent eit_event(const RecordingEvent& event) {
    return EitEvent{.eventId = event.eventId,
                    .start = event.start,
                    .duration = event.duration,
                    .descriptors = event.descriptors};
}

void add_tables(StreamBuilder& builder, const RecordingPlan& plan, double progress) {
    std::vector<PatEntry> programs;
    if (!plan.partial) programs.push_back({0, kNitPid});
    for (const RecordingService& service : plan.services)
        programs.push_back({service.serviceId, service.pmtPid});
    builder.add_section(kPatPid, pat_section(plan.transportStreamId, 0, programs));
    for (const RecordingService& service : plan.services)
        builder.add_section(service.pmtPid,
                            pmt_section(service.serviceId, 0, service.videoPid,
                                        {{service.videoStreamType, service.videoPid}}));

    if (plan.partial) {
        std::vector<SitService> entries;
        for (const RecordingService& service : plan.services) {
            if (service.events.empty()) continue;
            const RecordingEvent& event = service.events[current_event(service, progress)];
            entries.push_back({service.serviceId,
                               concat({partial_ts_time_descriptor(event.start, event.duration),
                                       service_descriptor(service.serviceType, service.providerName,
                                                          service.serviceName),
                                       event.descriptors})});
        }
        const auto version = static_cast<std::uint8_t>(
            plan.services.empty() ? 0 : current_event(plan.services[0], progress));
        builder.add_section(
            kSitPid,
            sit_section(version, network_identification_descriptor(plan.networkId), entries));
        return;
    }

    std::vector<SdtService> sdt;
    std::vector<std::uint16_t> ids;
    for (const RecordingService& service : plan.services) {
        sdt.push_back(
            {service.serviceId,
             service_descriptor(service.serviceType, service.providerName, service.serviceName)});
        ids.push_back(service.serviceId);
    }
    builder.add_section(kSdtPid, sdt_section(plan.transportStreamId, plan.networkId, 0, sdt));
    builder.add_section(
        kNitPid,
        nit_section(
            plan.networkId, 0,
            {{plan.transportStreamId, plan.networkId,
              ts_information_descriptor(plan.remoteControlKeyId, plan.tsName, {{0x0F, ids}})}}));
    for (const RecordingService& service : plan.services) {
        if (service.events.empty()) continue;
        const std::size_t index = current_event(service, progress);
        EitHeader header{.serviceId = service.serviceId,
                         .transportStreamId = plan.transportStreamId,
                         .originalNetworkId = plan.networkId,
                         .version = static_cast<std::uint8_t>(index & 0x1F)};
        builder.add_section(kEitPid, eit_pf_section(header, eit_event(service.events[index])));
        header.sectionNumber = 1;
        std::optional<EitEvent> following;
        if (index + 1 < service.events.size()) following = eit_event(service.events[index + 1]);
        builder.add_section(kEitPid, eit_pf_section(header, following));
    }
}

}  // namespace

Bytes build_recording(const RecordingPlan& plan) {
    StreamBuilder builder(plan.unitSize, plan.seed);
    const std::size_t interval = plan.tableInterval == 0 ? 1 : plan.tableInterval;
    std::vector<int> shares(plan.services.size(), 0);
    std::size_t since_tables = interval;
    while (builder.packet_count() < plan.packets) {
        if (since_tables >= interval) {
            add_tables(
                builder, plan,
                static_cast<double>(builder.packet_count()) / static_cast<double>(plan.packets));
            since_tables = 0;
            continue;
        }
        // The shares are spread evenly: each service gains its per cent on every
        // packet and sends one when it has gathered a whole one.
        bool sent = false;
        for (std::size_t i = 0; i < plan.services.size(); ++i) {
            shares[i] += plan.services[i].videoPercent;
            if (!sent && shares[i] >= 100) {
                shares[i] -= 100;
                builder.add_video_packets(plan.services[i].videoPid, 1);
                sent = true;
            }
        }
        if (!sent) builder.add_video_packets(kNullPacketPid, 1);
        ++since_tables;
    }
    return builder.take();
}

}  // namespace kalvento::test
