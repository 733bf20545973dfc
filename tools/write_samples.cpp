// kalvento-write-samples: writes synthetic sample recordings for demos and
// manual checks, and the seed inputs of the stream fuzzer.
#include "tests/support/arib_encoder.h"
#include "tests/support/recording_builder.h"
#include "tests/support/sample_recordings.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace kalvento::test {
namespace {

const char kUsage[] =
    "usage: kalvento-write-samples [--fuzz-seeds] DIRECTORY\n"
    "\n"
    "Writes synthetic recordings (MPEG-2 transport streams) into DIRECTORY,\n"
    "which is created when missing:\n"
    "  terrestrial-two-services.ts  terrestrial, service 1024 (HD) and 1025 (SD),\n"
    "                               remote-control key 3\n"
    "  bs-service-101.ts            BS (network 4), service 101\n"
    "  programme-change.ts          one service, the next programme from 40 %\n"
    "  partial-ts-sit.ts            partial transport stream with a SIT only,\n"
    "                               192-byte units\n"
    "\n"
    "With --fuzz-seeds it writes the small seed inputs of fuzz_ts_run instead.\n";

Bytes text(std::string_view utf8) {
    return arib_encode(utf8);
}

// Small inputs that reach every part of the analysis: the three unit sizes,
// tables, a programme change, a SIT, stuffing, adaptation fields and garbage.
std::vector<std::pair<std::string, Bytes>> fuzz_seeds() {
    std::vector<std::pair<std::string, Bytes>> seeds;
    auto small = [](RecordingPlan plan, std::size_t packets) {
        plan.packets = packets;
        plan.tableInterval = 30;
        return build_recording(plan);
    };
    RecordingPlan terrestrial = sample_terrestrial_two_services();
    terrestrial.services[0].events.push_back(terrestrial.services[0].events[0]);
    terrestrial.services[0].events[1].eventId = 0x1A02;
    terrestrial.services[0].events[1].from = 0.5;
    seeds.emplace_back("terrestrial-188.ts", small(terrestrial, 90));
    RecordingPlan bs = sample_bs_service_101();
    bs.unitSize = 192;
    seeds.emplace_back("bs-192.ts", small(bs, 60));
    RecordingPlan partial = sample_partial_ts_sit();
    partial.unitSize = 204;
    seeds.emplace_back("partial-204.ts", small(partial, 60));

    StreamBuilder odd;
    odd.add_section(0x0000, pat_section(1, 0, {{1024, 0x01F0}}));
    odd.add_sections(0x0011,
                     {sdt_section(1, 0x7FE8, 0, {{1024, service_descriptor(1, {}, text("一"))}}),
                      sdt_section(1, 0x7FE8, 0, {{1025, service_descriptor(1, {}, text("二"))}})});
    Bytes payload = {0x00};
    const Bytes pmt = pmt_section(1024, 0, 0x0100, {{0x02, 0x0100}});
    payload.insert(payload.end(), pmt.begin(), pmt.end());
    odd.add_packet(ts_packet(0x01F0, odd.next_counter(0x01F0), true, payload, 12));
    odd.add_video_packets(0x0100, 12);
    odd.add_garbage(300);
    odd.add_video_packets(0x0100, 12);
    seeds.emplace_back("stuffing-and-garbage.ts", odd.take());

    // Entries for the direct handler pass: selector, PID byte, length, section.
    Bytes entries;
    auto add_entry = [&entries](std::uint8_t selector, std::uint8_t pid, const Bytes& section) {
        entries.insert(entries.end(),
                       {selector, pid, static_cast<std::uint8_t>(section.size() >> 8),
                        static_cast<std::uint8_t>(section.size())});
        entries.insert(entries.end(), section.begin(), section.end());
    };
    add_entry(0, 0, pat_section(1, 0, {{101, 0x0101}}));
    add_entry(1, 1, pmt_section(101, 0, 0x0111, {{0x02, 0x0111}}));
    add_entry(3, 0, sdt_section(1, 4, 0, {{101, service_descriptor(1, text("局"), text("名"))}}));
    add_entry(
        2, 0,
        nit_section(4, 0, {{1, 4, ts_information_descriptor(1, text("ＢＳ"), {{0x0F, {101}}})}}));
    const RecordingEvent& bs_event = bs.services[0].events[0];
    add_entry(4, 0,
              eit_pf_section({.serviceId = 101, .originalNetworkId = 4, .version = 1},
                             EitEvent{.eventId = bs_event.eventId,
                                      .start = bs_event.start,
                                      .duration = bs_event.duration,
                                      .descriptors = bs_event.descriptors}));
    add_entry(5, 0,
              sit_section(0, network_identification_descriptor(4),
                          {{101, concat({partial_ts_time_descriptor(mjd_time(2024, 4, 4, 20, 0),
                                                                    bcd_duration(2, 0)),
                                         short_event_descriptor(text("映画"), {})})}}));
    seeds.emplace_back("sections.bin", entries);
    return seeds;
}

bool write_one(const std::filesystem::path& path, const Bytes& bytes) {
    if (!write_file(path, bytes)) {
        std::fprintf(stderr, "kalvento-write-samples: cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("%s  %zu bytes\n", path.c_str(), bytes.size());
    return true;
}

int run(int argc, char** argv) {
    bool seeds = false;
    std::string directory;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (argument == "--fuzz-seeds") {
            seeds = true;
        } else if (argument.starts_with("-")) {
            std::fprintf(stderr, "kalvento-write-samples: unknown option %s\n\n%s", argv[i],
                         kUsage);
            return 2;
        } else if (directory.empty()) {
            directory = argument;
        } else {
            std::fprintf(stderr, "kalvento-write-samples: more than one directory given\n\n%s",
                         kUsage);
            return 2;
        }
    }
    if (directory.empty()) {
        std::fprintf(stderr, "kalvento-write-samples: no directory given\n\n%s", kUsage);
        return 2;
    }
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error || !std::filesystem::is_directory(directory)) {
        std::fprintf(stderr, "kalvento-write-samples: cannot create directory %s: %s\n",
                     directory.c_str(), error ? error.message().c_str() : "not a directory");
        return 1;
    }
    const std::filesystem::path dir = directory;
    if (seeds) {
        for (const auto& [name, bytes] : fuzz_seeds())
            if (!write_one(dir / name, bytes)) return 1;
        return 0;
    }
    const std::pair<const char*, RecordingPlan (*)()> samples[] = {
        {"terrestrial-two-services.ts", sample_terrestrial_two_services},
        {"bs-service-101.ts", sample_bs_service_101},
        {"programme-change.ts", sample_programme_change},
        {"partial-ts-sit.ts", sample_partial_ts_sit},
    };
    for (const auto& [name, plan] : samples)
        if (!write_one(dir / name, build_recording(plan()))) return 1;
    return 0;
}

}  // namespace
}  // namespace kalvento::test

int main(int argc, char** argv) {
    return kalvento::test::run(argc, argv);
}
