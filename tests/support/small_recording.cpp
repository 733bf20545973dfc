#include "tests/support/small_recording.h"

#include "tests/support/arib_encoder.h"
#include "tests/support/sample_recordings.h"

namespace kalvento::test {

Bytes small_recording(const SmallRecording& recording) {
    // The HD service of the terrestrial sample, with its tables every 40 packets.
    RecordingPlan plan = sample_terrestrial_two_services();
    plan.packets = recording.packets;
    plan.tableInterval = 40;
    plan.seed = recording.seed;
    plan.services.resize(1);
    RecordingService& service = plan.services[0];
    service.videoPercent = 80;
    service.events = {RecordingEvent{
        .eventId = 0x1A01,
        .start = recording.start,
        .duration = recording.duration,
        .descriptors = concat({short_event_descriptor(arib_encode(recording.eventName),
                                                      arib_encode(recording.description)),
                               component_descriptor(0x01, 0xB3), audio_component_descriptor(0x03),
                               content_descriptor({{0x3, 0x0}})})}};
    return build_recording(plan);
}

bool write_small_recording(const std::filesystem::path& path, const SmallRecording& recording) {
    return write_file(path, small_recording(recording));
}

RecordingFolder write_recording_folder(const std::filesystem::path& root,
                                       const SmallRecording& recording) {
    namespace fs = std::filesystem;
    const fs::path in = root / "in";
    fs::create_directories(in / "sub/.hidden");
    fs::create_directories(in / "x.ts");
    fs::create_directories(root / "elsewhere");
    for (const char* name : {"a.ts", "b.M2TS", "c.mts", ".f.ts", "sub/d.ts", "sub/.hidden/e.ts"})
        write_small_recording(in / name, recording);
    write_small_recording(root / "elsewhere/linked.ts", {.eventName = "朝のニュース"});
    write_file(in / "notes.txt", Bytes{'n', 'o'});
    fs::create_symlink(root / "elsewhere/linked.ts", in / "link.ts");
    fs::create_symlink(root / "elsewhere/missing.ts", in / "gone.ts");
    fs::create_directory_symlink(in / "sub", in / "z-link");

    RecordingFolder folder{.folder = in.string(), .flat = {}, .recursive = {}};
    for (const char* name : {"a.ts", "b.M2TS", "c.mts", "link.ts"})
        folder.flat.push_back((in / name).string());
    folder.recursive = folder.flat;
    folder.recursive.push_back((in / "sub/d.ts").string());
    return folder;
}

}  // namespace kalvento::test
