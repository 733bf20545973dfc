#include "tests/support/small_recording.h"

#include "tests/support/arib_encoder.h"
#include "tests/support/recording_builder.h"

namespace kalvento::test {
namespace {
constexpr std::size_t kTableInterval = 40;
}

Bytes small_recording(const SmallRecording& recording) {
    RecordingPlan plan;
    plan.networkId = 0x7FE8;
    plan.transportStreamId = 0x7FE8;
    plan.remoteControlKeyId = 3;
    plan.tsName = arib_encode("カルヴェントテレビ");
    plan.packets = recording.packets;
    plan.tableInterval = kTableInterval;
    plan.seed = recording.seed;

    RecordingService service;
    service.serviceId = 1024;
    service.pmtPid = 0x01F0;
    service.videoPid = 0x0111;
    service.videoPercent = 80;
    service.providerName = arib_encode("カルヴェント");
    service.serviceName = arib_encode("カルヴェントテレビ");
    RecordingEvent event;
    event.eventId = 0x1A01;
    event.start = recording.start;
    event.duration = recording.duration;
    event.descriptors =
        concat({short_event_descriptor(arib_encode(recording.eventName), arib_encode(recording.description)),
                component_descriptor(0x01, 0xB3), audio_component_descriptor(0x03),
                content_descriptor({{0x3, 0x0}})});
    service.events.push_back(std::move(event));
    plan.services.push_back(std::move(service));
    return build_recording(plan);
}

bool write_small_recording(const std::filesystem::path& path, const SmallRecording& recording) {
    return write_file(path, small_recording(recording));
}

}  // namespace kalvento::test
