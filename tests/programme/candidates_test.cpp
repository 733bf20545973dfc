#include "programme/candidates.h"
#include "platform/japan_time.h"

#include <gtest/gtest.h>

#include <ctime>

#include "platform/codepage.h"
#include "platform/file_ops.h"
#include "tests/support/arib_encoder.h"
#include "tests/support/ts_builder.h"

namespace kalvento::test {
namespace {

std::int64_t local_time(int year, int month, int day, int hour, int minute) {
    return japan_date_time_to_unix(year, month, day, hour, minute, 0).value_or(0);
}

Bytes short_event(std::string_view name, std::string_view text) {
    return short_event_descriptor(arib_encode(name), arib_encode(text));
}

Bytes extended(std::uint8_t number, std::vector<ExtendedItem> items, Bytes text = {}) {
    return extended_event_descriptor(number, 0, items, text);
}

// An EIT present section of service 1024 in transport stream 16 of network 32.
Bytes present_section(std::uint16_t event_id, const Bytes& descriptors,
                      std::array<std::uint8_t, 5> start = mjd_time(2010, 4, 24, 1, 30, 15),
                      std::array<std::uint8_t, 3> duration = bcd_duration(0, 30, 45),
                      std::uint16_t service_id = 1024) {
    return eit_pf_section(
        {.serviceId = service_id, .transportStreamId = 16, .originalNetworkId = 32, .version = 1},
        EitEvent{
            .eventId = event_id, .start = start, .duration = duration, .descriptors = descriptors});
}

ProgramEntry program(std::uint16_t number, std::uint32_t packets, Bytes section) {
    return ProgramEntry{.programNumber = number,
                        .pmtPid = 0x1F0,
                        .videoPid = static_cast<std::uint16_t>(packets > 0 ? 0x111 : 0),
                        .videoPackets = packets,
                        .presentEventSection = std::move(section),
                        .sitEvent = {}};
}

Bytes named(std::uint16_t event_id, std::string_view name, std::uint16_t service_id = 1024) {
    return present_section(event_id, short_event(name, ""), mjd_time(2010, 4, 24, 21, 0),
                           bcd_duration(1, 0), service_id);
}

ServiceNames terrestrial_names() {
    ServiceTable table;
    ServiceRecord& record = table[static_cast<std::size_t>(table.find_or_add(1024, 0))];
    record.tsName = arib_encode("ミナトテレビ");
    record.serviceName = arib_encode("ミナトテレビ１");
    record.remoteControlKeyId = 1;
    return build_service_names(table, ChannelNameMap{});
}

TEST(Candidates, BuildsEveryFieldFromAnEitPresentSection) {
    const Bytes descriptors = concat({
        short_event("深夜アニメ「ほしのふね」", "月の裏側で。\r第12話「ねむるロボット」"),
        component_descriptor(0x01, 0xB3),
        audio_component_descriptor(0x03, 3),
        content_descriptor({{0xE, 0x0}, {0x7, 0x0}, {0x3, 0x0}}),
        extended(0, {{arib_encode("番組内容"), arib_encode("宇宙船の旅。")}}),
    });
    const auto candidate =
        build_candidate(program(1024, 7, present_section(4660, descriptors)), terrestrial_names());
    ASSERT_TRUE(candidate);
    const ProgramInfo& info = *candidate;
    EXPECT_EQ(info.eventName, cp932("深夜アニメ「ほしのふね」"));
    EXPECT_EQ(info.title, info.eventName);
    EXPECT_EQ(info.eventText, cp932("月の裏側で。\r第12話「ねむるロボット」"));
    EXPECT_EQ(info.eventTextFlat, cp932("月の裏側で。第12話「ねむるロボット」"));
    EXPECT_EQ(info.eventTextLine, cp932("月の裏側で。"));
    EXPECT_EQ(info.extendedText, cp932("\r\r【番組内容】\r宇宙船の旅。"));
    EXPECT_EQ(info.eventId, 4660);
    EXPECT_EQ(info.serviceId, 1024);
    EXPECT_EQ(info.originalNetworkId, 32);
    EXPECT_EQ(info.videoPackets, 7u);
    // Seconds of the start and of the duration are not used.
    EXPECT_EQ(info.startTime, local_time(2010, 4, 24, 1, 30));
    EXPECT_EQ(info.endTime, local_time(2010, 4, 24, 2, 0));
    EXPECT_EQ(info.timeHM28, cp932("25時30分"));
    EXPECT_EQ(info.avText, "1080i(16:9)[stereo]");
    EXPECT_EQ(info.genre, cp932("アニメ／特撮(国内アニメ)"));  // user-defined 0xE passed over
    EXPECT_EQ(info.channelName, cp932("ミナトテレビ"));
    EXPECT_EQ(info.serviceName, cp932("ミナトテレビ１"));
    EXPECT_EQ(info.channelLabel, "1ch");
    EXPECT_TRUE(info.queryKey.empty());
}

TEST(Candidates, ShortEventTextsAndDefaults) {
    const ServiceNames names;
    // An empty name: the text takes its place and the text stays empty.
    auto candidate =
        build_candidate(program(1024, 1, present_section(1, short_event("", "説明だけ"))), names);
    ASSERT_TRUE(candidate);
    EXPECT_EQ(candidate->eventName, cp932("説明だけ"));
    EXPECT_EQ(candidate->eventText, "");
    // No components, no content descriptor.
    EXPECT_EQ(candidate->avText, "480i(--)[--]");
    EXPECT_EQ(candidate->genre, cp932("ジャンル無し"));
    EXPECT_EQ(candidate->channelLabel, "1024");

    // A later short event descriptor overrides the earlier one; user-defined
    // genres alone are what the content descriptor gives.
    candidate = build_candidate(
        program(1024, 1,
                present_section(1, concat({short_event("前", "前の説明"), short_event("後", ""),
                                           content_descriptor({{0xE, 0xF}})}))),
        names);
    ASSERT_TRUE(candidate);
    EXPECT_EQ(candidate->eventName, cp932("後"));
    EXPECT_EQ(candidate->eventText, cp932("前の説明"));
    EXPECT_EQ(candidate->genre, cp932("(その他)"));

    // Nothing named: no candidate.
    EXPECT_FALSE(build_candidate(program(1024, 1, present_section(1, short_event("", ""))), names));
    EXPECT_FALSE(build_candidate(program(1024, 1, present_section(1, {})), names));
    EXPECT_FALSE(build_candidate(program(1024, 1, {}), names));
}

TEST(Candidates, ExtendedItemsAreDecodedWholeAcrossDescriptors) {
    const Bytes item = arib_encode("宇宙船で旅をする少女。");
    ASSERT_GT(item.size(), 4u);
    // Split inside the second kanji, so neither half decodes on its own.
    const Bytes first(item.begin(), item.begin() + 3);
    const Bytes second(item.begin() + 3, item.end());
    const Bytes descriptors = concat({
        short_event("番組", ""),
        extended(0, {{arib_encode("番組内容"), first}}),
        extended(1, {{{}, second}}),
        // Only the first field of a descriptor is a heading: a second item's
        // heading joins the item text.
        extended(2,
                 {{arib_encode("出演者"), arib_encode("ミラ")},
                  {arib_encode("脚本"), arib_encode("タナカ")}},
                 arib_encode("おわり")),
    });
    const auto candidate =
        build_candidate(program(1024, 1, present_section(2, descriptors)), ServiceNames{});
    ASSERT_TRUE(candidate);
    EXPECT_EQ(
        candidate->extendedText,
        cp932("\r\r【番組内容】\r宇宙船で旅をする少女。\r\r【出演者】\rミラ脚本タナカおわり"));
}

TEST(Candidates, SitEventGivesStartEndAndPlainHeadings) {
    ServiceTable table;
    table[static_cast<std::size_t>(table.find_or_add(141, 4))].serviceName =
        arib_encode("ＢＳミナト映画");
    const ServiceNames names = build_service_names(table, ChannelNameMap{});

    ProgramEntry entry = program(141, 900, {});
    entry.sitEvent.serviceId = 141;
    entry.sitEvent.start = mjd_time(2016, 12, 31, 23, 59, 30);
    entry.sitEvent.duration = bcd_duration(2, 15, 10);
    entry.sitEvent.descriptors = concat({
        partial_ts_time_descriptor(entry.sitEvent.start, entry.sitEvent.duration),
        short_event("年越し映画", "大晦日から元日。"),
        extended(0, {{arib_encode("出演"), arib_encode("主演：木村")}}),
        component_descriptor(0x01, 0xB3),
        content_descriptor({{0x6, 0x0}}),
    });
    auto candidate = build_candidate(entry, names);
    ASSERT_TRUE(candidate);
    EXPECT_EQ(candidate->eventName, cp932("年越し映画"));
    EXPECT_EQ(candidate->eventId, 0);
    EXPECT_EQ(candidate->extendedText, cp932("\r\r出演\r主演：木村"));
    EXPECT_EQ(candidate->startTime, local_time(2016, 12, 31, 23, 59));
    EXPECT_EQ(candidate->endTime, local_time(2017, 1, 1, 2, 14));
    EXPECT_EQ(candidate->channelLabel, "BS141");
    EXPECT_EQ(candidate->channelName, cp932("ＢＳミナト映画"));
    EXPECT_EQ(candidate->genre, cp932("映画(洋画)"));

    // With an EIT event as well, the SIT's name, text and times win and its
    // extended text follows the EIT's.
    entry.presentEventSection =
        present_section(77, concat({short_event("EITの名前", "EITの説明"),
                                    extended(0, {{arib_encode("内容"), arib_encode("EIT側")}})}));
    candidate = build_candidate(entry, names);
    ASSERT_TRUE(candidate);
    EXPECT_EQ(candidate->eventName, cp932("年越し映画"));
    EXPECT_EQ(candidate->eventText, cp932("大晦日から元日。"));
    EXPECT_EQ(candidate->eventId, 77);
    EXPECT_EQ(candidate->startTime, local_time(2016, 12, 31, 23, 59));
    EXPECT_EQ(candidate->extendedText, cp932("\r\r【内容】\rEIT側\r\r出演\r主演：木村"));
}

TEST(Candidates, TextsAreCutAtCharacterBoundaries) {
    std::string letters;
    for (int i = 0; i < 110; ++i) letters += "Ａ";
    const Bytes piece = arib_encode(letters);  // decodes to 220 bytes
    ASSERT_LE(piece.size(), 120u);
    // A name is cut at 158 (159 would split a character), a text at 338.
    auto candidate = build_candidate(
        program(1, 1, present_section(1, short_event_descriptor(piece, piece))), ServiceNames{});
    ASSERT_TRUE(candidate);
    EXPECT_EQ(candidate->eventName.size(), 158u);
    EXPECT_EQ(candidate->eventText.size(), 220u);
    candidate = build_candidate(
        program(
            1, 1,
            present_section(1, short_event_descriptor(arib_encode("x"), concat({piece, piece})))),
        ServiceNames{});
    ASSERT_TRUE(candidate);
    EXPECT_EQ(candidate->eventText.size(), 338u);

    // Many headings with long items: the extended text stops at its limit.
    Bytes many;
    for (int i = 0; i < 40; ++i)
        many = concat({many, extended(0, {{arib_encode("見出し"), piece}})});
    ProgramEntry entry = program(1, 1, {});
    entry.sitEvent.descriptors = concat({short_event("長い", ""), many});
    candidate = build_candidate(entry, ServiceNames{});
    ASSERT_TRUE(candidate);
    EXPECT_LE(candidate->extendedText.size(), kExtendedTextMax);
    EXPECT_GT(candidate->extendedText.size(), kExtendedTextMax - 300);
    EXPECT_TRUE(cp932_to_utf8(candidate->extendedText).has_value());  // whole characters

    // One item continued over many descriptors: the pending bytes stop at
    // their limit with whole fields, and the rest of that item is dropped.
    Bytes continued = extended(0, {{arib_encode("長文"), piece}});
    for (int i = 0; i < 40; ++i) continued = concat({continued, extended(1, {{{}, piece}})});
    continued = concat({continued, extended(2, {{arib_encode("次"), arib_encode("続き")}})});
    entry.sitEvent.descriptors = concat({short_event("長い", ""), continued});
    candidate = build_candidate(entry, ServiceNames{});
    ASSERT_TRUE(candidate);
    const std::size_t pieces = kPendingItemMax / piece.size();
    std::string expected = cp932("\r\r長文\r");
    for (std::size_t i = 0; i < pieces; ++i) expected += cp932(letters);
    EXPECT_EQ(candidate->extendedText, expected + cp932("\r\r次\r続き"));
}

TEST(Candidates, DamagedSectionsAreReadWithinTheirBytes) {
    const Bytes descriptors = concat({
        short_event("壊れた番組", "説明"),
        extended(0, {{arib_encode("内容"), arib_encode("本文")}}, arib_encode("終わり")),
        component_descriptor(0x01, 0xB3),
        audio_component_descriptor(0x03),
        content_descriptor({{0x1, 0x2}}),
    });
    const Bytes good = present_section(9, descriptors);
    const ServiceNames names;
    ASSERT_TRUE(build_candidate(program(1, 1, good), names));

    // Every byte set to 0x00 and to 0xFF, and every truncation: whatever comes
    // out, nothing is read outside the section (the sanitizer build checks).
    for (std::size_t i = 0; i < good.size(); ++i) {
        for (std::uint8_t value : {std::uint8_t{0x00}, std::uint8_t{0xFF}}) {
            Bytes damaged = good;
            damaged[i] = value;
            (void)build_candidate(program(1, 1, damaged), names);
        }
        (void)build_candidate(program(1, 1, Bytes(good.begin(), good.begin() + i)), names);
        ProgramEntry sit = program(1, 1, {});
        sit.sitEvent.descriptors.assign(descriptors.begin(),
                                        descriptors.begin() + std::min(i, descriptors.size()));
        (void)build_candidate(sit, names);
    }

    // A name length that runs past its descriptor drops that text only; a
    // descriptor that runs past the loop ends the walk.
    Bytes bad_name = short_event("名前", "説明");
    bad_name[5] = 0xF0;
    auto candidate = build_candidate(
        program(1, 1, present_section(1, concat({short_event("先", ""), bad_name}))), names);
    ASSERT_TRUE(candidate);
    EXPECT_EQ(candidate->eventName, cp932("先"));
    Bytes bad_loop = concat({short_event("先", ""), component_descriptor(0x01, 0xB3)});
    bad_loop[bad_loop.size() - 7] = 0xF0;  // length of the component descriptor
    candidate = build_candidate(program(1, 1, present_section(1, bad_loop)), names);
    ASSERT_TRUE(candidate);
    EXPECT_EQ(candidate->avText, "480i(--)[--]");
}

TEST(Candidates, CollectedWithoutDuplicatesLargestCountFirst) {
    const ServiceNames names;
    EXPECT_TRUE(collect_candidates({}, names).empty());

    // A programme change: the later event filled more of the window.
    std::vector<Snapshot> change(2);
    change[0].programs = {program(1024, 100, named(1, "前の番組"))};
    change[1].programs = {program(1024, 300, named(2, "次の番組"))};
    auto list = collect_candidates(change, names);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].eventName, cp932("次の番組"));
    EXPECT_EQ(list[1].eventName, cp932("前の番組"));

    // The same event in two snapshots (a new PAT version): the first one stays.
    std::vector<Snapshot> repeated(2);
    repeated[0].programs = {program(1024, 50, named(1, "同じ番組"))};
    repeated[1].patVersion = 1;
    repeated[1].programs = {program(1024, 500, named(1, "同じ番組"))};
    list = collect_candidates(repeated, names);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].videoPackets, 50u);

    // Several services at once; a programme without a video PID counts 0 and
    // sorts last; equal counts keep their order; the same name with another
    // event_id is another candidate; nameless programmes drop out.
    std::vector<Snapshot> multiplex(1);
    multiplex[0].programs = {
        program(1026, 0, named(9, "音声だけ", 1026)), program(1025, 200, named(7, "サブ", 1025)),
        program(1024, 300, named(5, "メイン", 1024)), program(1027, 0, named(3, "データ", 1027)),
        program(1028, 200, named(8, "サブ", 1028)),   program(1029, 999, {}),
    };
    std::vector<int> order;
    for (const ProgramInfo& info : collect_candidates(multiplex, names))
        order.push_back(info.serviceId);
    EXPECT_EQ(order, (std::vector<int>{1024, 1025, 1028, 1026, 1027}));
}

TEST(Candidates, BroadcastTimesAndFirstLines) {
    const auto at = [](int y, int mo, int d, int h, int mi) {
        const auto bytes = mjd_time(y, mo, d, h, mi);
        return broadcast_time(static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]), bytes[2],
                              bytes[3]);
    };
    const std::array<int, 5> times[] = {
        {2010, 4, 24, 1, 30}, {2012, 2, 29, 23, 59}, {2000, 3, 1, 0, 0}, {1999, 12, 31, 12, 5}};
    for (const auto& [y, mo, d, h, mi] : times)
        EXPECT_EQ(at(y, mo, d, h, mi), local_time(y, mo, d, h, mi));
    EXPECT_EQ(broadcast_time(55310, 0x13, 0x45), local_time(2010, 4, 24, 13, 45));

    EXPECT_EQ(first_line("abc\rdef") + first_line("no break"), "abcno break");
    // A lead byte takes the next byte with it, whatever it is.
    EXPECT_EQ(first_line(std::string("\x82\ra\rb", 5)), std::string("\x82\ra", 3));
    EXPECT_EQ(first_line("\x82"), "\x82");
}

}  // namespace
}  // namespace kalvento::test
