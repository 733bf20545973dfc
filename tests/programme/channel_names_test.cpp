#include "programme/channel_names.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <random>

#include "platform/codepage.h"
#include "tests/support/arib_encoder.h"

namespace kalvento {
namespace {

using test::arib_encode;

std::filesystem::path temp_file(const std::string& stem) {
    std::random_device random;
    return std::filesystem::temp_directory_path() /
           ("kalvento-" + stem + "-" + std::to_string(random()) + ".txt");
}

TEST(ChannelNameMap, ReadsNumbersLikeTheOldFiles) {
    EXPECT_EQ(read_channel_number("1024"), 1024);
    EXPECT_EQ(read_channel_number("  +32x"), 32);
    EXPECT_EQ(read_channel_number(" -7"), -7);
    EXPECT_EQ(read_channel_number("x12"), 0);
    EXPECT_EQ(read_channel_number(""), 0);
    EXPECT_EQ(read_channel_number("-"), 0);
    EXPECT_EQ(read_channel_number("99999999999999999999"), INT_MAX);
    EXPECT_EQ(read_channel_number("-99999999999999999999"), INT_MIN);
}

TEST(ChannelNameMap, ParsesLinesFirstOneWins) {
    ChannelNameMap map;
    parse_channel_names(map, cp932("ミナト\t1024\t16\t32\t0\t0\t0\r\n"
                                   "ダブリ\t1024\t16\t32\r\n"
                                   "ＢＳ\t101\t 16625\t4\t1\t2\t3\tmore\tfields\r\n"
                                   "\r\n"
                                   "改行だけ\t211\t0x10\t4\n"  // lone LF; "0x10" reads as 0
                                   "名前だけ\r\n"
                                   "最後\t5\t6\t7"));
    ASSERT_NE(map.find(32, 16, 1024), nullptr);
    EXPECT_EQ(*map.find(32, 16, 1024), cp932("ミナト"));
    ASSERT_NE(map.find(4, 16625, 101), nullptr);
    EXPECT_EQ(*map.find(4, 16625, 101), cp932("ＢＳ"));
    ASSERT_NE(map.find(4, 0, 211), nullptr);
    EXPECT_EQ(*map.find(4, 0, 211), cp932("改行だけ"));
    ASSERT_NE(map.find(0, 0, 0), nullptr);
    EXPECT_EQ(*map.find(0, 0, 0), cp932("名前だけ"));
    ASSERT_NE(map.find(7, 6, 5), nullptr);
    EXPECT_EQ(map.names.size(), 5u);

    // Only the low 16 bits of the stream and service ids make the key.
    EXPECT_EQ(channel_key(32, 16 + 65536, 1024 + 65536), channel_key(32, 16, 1024));
    EXPECT_EQ(channel_key(1, 0, 0), std::uint64_t{1} << 32);
}

TEST(ChannelNameMap, LoadsTheFileAndClearsFirst) {
    ChannelNameMap map;
    map.names[1] = "old";
    load_channel_names(map, temp_file("missing").string());
    EXPECT_TRUE(map.names.empty());

    const auto path = temp_file("chset");
    {
        std::ofstream out(path, std::ios::binary);
        out << cp932("ミナトテレビ\t1024\t16\t32\t1\t2\t3\r\n");
    }
    map.names[1] = "old";
    load_channel_names(map, path.string());
    ASSERT_EQ(map.names.size(), 1u);
    EXPECT_EQ(*map.find(32, 16, 1024), cp932("ミナトテレビ"));

    { std::ofstream truncate(path, std::ios::binary | std::ios::trunc); }
    load_channel_names(map, path.string());
    EXPECT_TRUE(map.names.empty());
    std::filesystem::remove(path);
}

ServiceRecord& add_service(ServiceTable& table, std::uint16_t service_id, std::uint8_t kind) {
    const int index = table.find_or_add(service_id, kind);
    EXPECT_GE(index, 0);
    EXPECT_LT(index, ServiceTable::kFull);
    return table[static_cast<std::size_t>(index)];
}

TEST(ServiceNames, MainAndSubChannelOfATerrestrialMultiplex) {
    ServiceTable table;
    for (std::uint16_t id : {1024, 1025}) {
        ServiceRecord& record = add_service(table, id, 0);
        record.tsName = arib_encode("ミナトテレビ");
        record.serviceName = arib_encode(id == 1024 ? "ミナトテレビ１" : "ミナトテレビ２");
        record.remoteControlKeyId = 3;
    }
    const ServiceNames names = build_service_names(table, ChannelNameMap{});
    ASSERT_EQ(names.byService.size(), 2u);
    const ServiceNameSet& main = names.byService.at(1024);
    const ServiceNameSet& sub = names.byService.at(1025);
    EXPECT_EQ(main.name1, cp932("ミナトテレビ"));
    EXPECT_EQ(main.name2, cp932("ミナトテレビ１"));
    EXPECT_EQ(main.label, "3ch");
    EXPECT_EQ(sub.name1, cp932("ミナトテレビ２"));
    EXPECT_EQ(sub.name2, cp932("ミナトテレビ２"));
    EXPECT_EQ(sub.label, "3ch");

    ProgramInfo hd;
    set_channel_fields(names, 1024, 0xB3, hd);
    EXPECT_EQ(hd.channelName, cp932("ミナトテレビ"));
    EXPECT_EQ(hd.serviceName, cp932("ミナトテレビ１"));
    EXPECT_EQ(hd.channelLabel, "3ch");
    ProgramInfo sd_on_main;  // SD video (or none seen) goes by the service name
    set_channel_fields(names, 1024, 0x01, sd_on_main);
    EXPECT_EQ(sd_on_main.channelName, cp932("ミナトテレビ１"));
    ProgramInfo progressive;
    set_channel_fields(names, 1024, 0xA3, progressive);
    EXPECT_EQ(progressive.channelName, cp932("ミナトテレビ１"));
    ProgramInfo sd;
    set_channel_fields(names, 1025, 0x01, sd);
    EXPECT_EQ(sd.channelName, cp932("ミナトテレビ２"));
}

TEST(ServiceNames, LabelsAndFallbacks) {
    ServiceTable table;
    ServiceRecord& bs = add_service(table, 101, 4);
    bs.serviceName = arib_encode("ＢＳミナト");
    bs.remoteControlKeyId = 9;  // satellites are numbered by service, never by key
    add_service(table, 102, 4).serviceName = arib_encode("ＢＳミナト２");
    add_service(table, 239, 6);
    add_service(table, 240, 7);
    ServiceRecord& plain = add_service(table, 2000, 0);
    plain.tsName = arib_encode("ローカル");

    const ServiceNames names = build_service_names(table, ChannelNameMap{});
    EXPECT_EQ(names.byService.at(101).label, "BS101");
    EXPECT_EQ(names.byService.at(101).name1, cp932("ＢＳミナト"));
    // 102 follows 101 in a BS multiplex: a sub-channel, named by its service.
    EXPECT_EQ(names.byService.at(102).name1, cp932("ＢＳミナト２"));
    EXPECT_EQ(names.byService.at(239).label, "CS239");
    EXPECT_EQ(names.byService.at(239).name1, "CS239");  // no name at all: the label
    EXPECT_EQ(names.byService.at(239).name2, "CS239");
    EXPECT_EQ(names.byService.at(240).label, "CS240");
    EXPECT_EQ(names.byService.at(2000).label, "2000");
    EXPECT_EQ(names.byService.at(2000).name1, cp932("ローカル"));
    EXPECT_EQ(names.byService.at(2000).name2, cp932("ローカル"));

    // Programmes without a record take a label made from the last record's kind.
    EXPECT_EQ(names.lastNetworkKind, 7);
    ProgramInfo unnamed;
    set_channel_fields(names, 55, 0xB3, unnamed);
    EXPECT_EQ(unnamed.channelName, "CS55");
    EXPECT_EQ(unnamed.serviceName, "CS55");
    EXPECT_EQ(unnamed.channelLabel, "CS55");
    ProgramInfo empty_table;
    set_channel_fields(build_service_names(ServiceTable{}, ChannelNameMap{}), 55, 0, empty_table);
    EXPECT_EQ(empty_table.channelLabel, "55");

    // A later record with the same service id (another network kind) wins.
    ServiceTable twice;
    add_service(twice, 300, 0).serviceName = arib_encode("地上");
    add_service(twice, 300, 4).serviceName = arib_encode("衛星");
    EXPECT_EQ(build_service_names(twice, ChannelNameMap{}).byService.at(300).name2, cp932("衛星"));
}

TEST(ServiceNames, ChannelFileOverridesTheLabelAndLongNamesAreCut) {
    ServiceTable table;
    ServiceRecord& record = add_service(table, 1024, 0);
    record.transportStreamId = 16;
    record.originalNetworkId = 32;
    record.remoteControlKeyId = 1;
    // 60 full-width letters decode to 120 bytes; the cut keeps whole characters.
    std::string letters;
    for (int i = 0; i < 60; ++i) letters += "Ａ";
    record.tsName = arib_encode(letters);
    ChannelNameMap channels;
    parse_channel_names(channels, cp932("わたしの局\t1024\t16\t32\r\n"));

    const ServiceNames names = build_service_names(table, channels);
    const ServiceNameSet& set = names.byService.at(1024);
    EXPECT_EQ(set.label, cp932("わたしの局"));
    EXPECT_EQ(set.name1.size(), 98u);
    EXPECT_EQ(set.name1.substr(0, 2), cp932("Ａ"));
    ProgramInfo info;
    set_channel_fields(names, 1024, 0xB3, info);
    EXPECT_EQ(info.channelLabel, cp932("わたしの局"));

    // Another stream id misses the entry.
    table[0].transportStreamId = 17;
    EXPECT_EQ(build_service_names(table, channels).byService.at(1024).label, "1ch");
}

}  // namespace
}  // namespace kalvento
