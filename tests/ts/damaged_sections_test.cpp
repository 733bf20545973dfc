// Damaged sections: lengths that point past the section, cut sections and
// changed bytes must never make a handler read outside the section or into
// its CRC. The handlers get sections in buffers of exactly their size, so the
// sanitizer build sees every stray read.
#include "tests/support/arib_encoder.h"
#include "tests/ts/ts_test_util.h"
#include "ts/event_tables.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace kalvento::test {
namespace {

using Handler = std::function<void(std::span<const std::uint8_t>, TableState&)>;

// Runs the handler on a copy of exactly the given bytes.
void handle_exact(const Handler& handler, const Bytes& bytes, TableState& state) {
    std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[bytes.size() + 1]);
    std::copy(bytes.begin(), bytes.end(), copy.get());
    handler({copy.get(), bytes.size()}, state);
}

// A state with one snapshot whose programme 1024 has PMT PID 0x1F0.
TableState state_with_programme() {
    TableState state;
    handle_pat(pat_section(1, 0, {{1024, 0x01F0}}), state);
    return state;
}

struct Sample {
    const char* name;
    Handler handler;
    Bytes section;
};

std::vector<Sample> samples() {
    const auto start = mjd_time(2024, 4, 1, 21, 0);
    const Bytes event_descriptors =
        concat({short_event_descriptor(arib_encode("名前"), arib_encode("説明")),
                extended_event_descriptor(0, 0, {{arib_encode("出演"), arib_encode("誰か")}}),
                component_descriptor(1, 0xB3), audio_component_descriptor(3),
                content_descriptor({{0x0, 0x1}})});
    return {
        {"PAT", handle_pat, pat_section(1, 3, {{0, 0x10}, {1024, 0x1F0}, {1025, 0x1F1}})},
        {"PMT", [](std::span<const std::uint8_t> s, TableState& st) { handle_pmt(s, 0x01F0, st); },
         pmt_section(1024, 0, 0x100, {{0x0F, 0x110, Bytes{0x52, 1, 0x10}}, {0x02, 0x100}},
                     Bytes{0x09, 0x04, 0x00, 0x05, 0xE0, 0x31})},
        {"NIT", handle_nit,
         nit_section(
             0x7FE1, 0,
             {{0x7FE1, 0x7FE1,
               ts_information_descriptor(3, arib_encode("テスト"), {{0x0F, {1024, 1025}}})}},
             Bytes{0x40, 0x02, 0x41, 0x42})},
        {"SDT", handle_sdt,
         sdt_section(1, 0x7FE1, 0,
                     {{1024, service_descriptor(1, arib_encode("局"), arib_encode("テスト"))},
                      {1025, service_descriptor(1, {}, arib_encode("二"))}})},
        {"EIT", handle_eit,
         eit_pf_section({.serviceId = 1024, .originalNetworkId = 0x7FE1, .version = 2},
                        EitEvent{.eventId = 7,
                                 .start = start,
                                 .duration = bcd_duration(1, 0),
                                 .descriptors = event_descriptors})},
        {"SIT", handle_sit,
         sit_section(
             0, network_identification_descriptor(4),
             {{1024, concat({partial_ts_time_descriptor(start, bcd_duration(1, 0)),
                             service_descriptor(1, {}, arib_encode("名")), event_descriptors})}})},
    };
}

TEST(DamagedSections, CutAndAlteredSectionsAreSafe) {
    for (const Sample& sample : samples()) {
        SCOPED_TRACE(sample.name);
        // Every cut of the section.
        for (std::size_t length = 0; length <= sample.section.size(); ++length) {
            TableState state = state_with_programme();
            handle_exact(sample.handler,
                         Bytes(sample.section.begin(),
                               sample.section.begin() + static_cast<std::ptrdiff_t>(length)),
                         state);
        }
        // Every byte set to the values that make lengths and counts largest or smallest.
        for (std::size_t at = 0; at < sample.section.size(); ++at) {
            for (const std::uint8_t value : {0x00, 0x0F, 0x7F, 0xFF}) {
                Bytes altered = sample.section;
                altered[at] = value;
                TableState state = state_with_programme();
                handle_exact(sample.handler, altered, state);
                handle_exact(sample.handler, altered, state);  // and once more on the filled state
            }
        }
    }
}

TEST(DamagedSections, LengthsPastTheLoopLeaveTheFieldsAlone) {
    // A service descriptor whose name length runs into the CRC: no record.
    Bytes body = {0x01, 0x00, 0x06, 'a',
                  'b'};  // service type, no provider, name of 6 bytes but 2 present
    Bytes broken = sdt_section(1, 0x7FE1, 0, {{1024, descriptor(0x48, body)}});
    TableState state;
    handle_exact(handle_sdt, broken, state);
    EXPECT_TRUE(state.services.empty());

    // A TS information descriptor whose name runs past the descriptor: the
    // record keeps its fields.
    handle_exact(handle_sdt, sdt_section(1, 0x7FE1, 0, {{1024, service_descriptor(1, {}, {'n'})}}),
                 state);
    ASSERT_EQ(state.services.size(), 1u);
    Bytes info = {7, 0x3F << 2 | 1, 'x'};
    handle_exact(handle_nit, nit_section(0x7FE1, 0, {{1, 0x7FE1, descriptor(0xCD, info)}}), state);
    EXPECT_EQ(state.services[0].remoteControlKeyId, 0);
    EXPECT_TRUE(state.services[0].tsName.empty());

    // An EIT section too short for an event creates the record and stores nothing else.
    TableState eit_state = state_with_programme();
    handle_exact(handle_eit,
                 eit_pf_section({.serviceId = 1024, .transportStreamId = 9}, std::nullopt),
                 eit_state);
    ASSERT_EQ(eit_state.services.size(), 1u);
    EXPECT_EQ(eit_state.services[0].transportStreamId, 0);
    EXPECT_TRUE(eit_state.snapshots[0].programs[0].presentEventSection.empty());

    // A time descriptor cut before its duration keeps the start only.
    Bytes time = {0, 0xE9, 0x5A, 0x21, 0x00, 0x00, 0x01};
    TableState sit_state;
    handle_exact(handle_sit, sit_section(0, {}, {{5, descriptor(0xC3, time)}}), sit_state);
    ASSERT_EQ(sit_state.services.size(), 1u);
    const std::array<std::uint8_t, 5> start = {0xE9, 0x5A, 0x21, 0x00, 0x00};
    EXPECT_EQ(sit_state.services[0].sitEvent.start, start);
    EXPECT_EQ(sit_state.services[0].sitEvent.duration, (std::array<std::uint8_t, 3>{}));
}

}  // namespace
}  // namespace kalvento::test
