#include "programme/channel_names.h"

#include <gtest/gtest.h>

#include <climits>

#include "platform/codepage.h"
#include "tests/support/arib_encoder.h"
#include "tests/support/temp_dir.h"

namespace kalvento::test {
namespace {

TEST(ChannelNameMap, ReadsNumbersLikeTheOldFiles) {
    const std::pair<const char*, int> numbers[] = {{"1024", 1024},
                                                   {"  +32x", 32},
                                                   {" -7", -7},
                                                   {"x12", 0},
                                                   {"", 0},
                                                   {"-", 0},
                                                   {"99999999999999999999", INT_MAX},
                                                   {"-99999999999999999999", INT_MIN}};
    for (const auto& [text, value] : numbers) EXPECT_EQ(read_channel_number(text), value) << text;
    // Only the low 16 bits of the stream and service ids make the key.
    EXPECT_EQ(channel_key(32, 16 + 65536, 1024 + 65536), channel_key(32, 16, 1024));
    EXPECT_EQ(channel_key(1, 0, 0), std::uint64_t{1} << 32);
}

TEST(ChannelNameMap, ParsesLinesFirstOneWinsAndLoadingClearsFirst) {
    ChannelNameMap map;
    parse_channel_names(map, cp932("ミナト\t1024\t16\t32\t0\t0\t0\r\n"
                                   "ダブリ\t1024\t16\t32\r\n"
                                   "ＢＳ\t101\t 16625\t4\t1\t2\t3\tmore\tfields\r\n"
                                   "\r\n"
                                   "改行だけ\t211\t0x10\t4\n"  // lone LF; "0x10" reads as 0
                                   "名前だけ\r\n"
                                   "最後\t5\t6\t7"));
    const std::tuple<int, int, int, const char*> entries[] = {{32, 16, 1024, "ミナト"},
                                                              {4, 16625, 101, "ＢＳ"},
                                                              {4, 0, 211, "改行だけ"},
                                                              {0, 0, 0, "名前だけ"},
                                                              {7, 6, 5, "最後"}};
    for (const auto& [network, stream, service, name] : entries) {
        const std::string* found = map.find(network, stream, service);
        ASSERT_NE(found, nullptr) << name;
        EXPECT_EQ(*found, cp932(name));
    }
    EXPECT_EQ(map.names.size(), 5u);

    // Loading clears the map first, also when the file is missing or empty.
    TempDir dir;
    const std::string path = dir.file("ChSet3.txt");
    load_channel_names(map, path);
    EXPECT_TRUE(map.names.empty());
    write_text(path, cp932("ミナトテレビ\t1024\t16\t32\t1\t2\t3\r\n"));
    map.names[1] = "old";
    load_channel_names(map, path);
    ASSERT_EQ(map.names.size(), 1u);
    EXPECT_EQ(*map.find(32, 16, 1024), cp932("ミナトテレビ"));
    write_text(path, "");
    load_channel_names(map, path);
    EXPECT_TRUE(map.names.empty());
}

ServiceRecord& add_service(ServiceTable& table, std::uint16_t service_id, std::uint8_t kind,
                           std::string_view name = {}, std::string_view ts_name = {}) {
    const int index = table.find_or_add(service_id, kind);
    EXPECT_GE(index, 0);
    EXPECT_LT(index, ServiceTable::kFull);
    ServiceRecord& record = table[static_cast<std::size_t>(index)];
    if (!name.empty()) record.serviceName = arib_encode(name);
    if (!ts_name.empty()) record.tsName = arib_encode(ts_name);
    return record;
}

// channelName, serviceName and channelLabel set for a programme.
std::vector<std::string> channel_fields(const ServiceNames& names, int service, int video) {
    ProgramInfo info;
    set_channel_fields(names, static_cast<std::uint16_t>(service), static_cast<std::uint8_t>(video),
                       info);
    return {info.channelName, info.serviceName, info.channelLabel};
}

TEST(ServiceNames, MainAndSubChannelOfATerrestrialMultiplex) {
    ServiceTable table;
    add_service(table, 1024, 0, "ミナトテレビ１", "ミナトテレビ").remoteControlKeyId = 3;
    add_service(table, 1025, 0, "ミナトテレビ２", "ミナトテレビ").remoteControlKeyId = 3;
    const ServiceNames names = build_service_names(table, ChannelNameMap{});
    ASSERT_EQ(names.byService.size(), 2u);
    const std::string tv = cp932("ミナトテレビ"), tv1 = cp932("ミナトテレビ１"),
                      tv2 = cp932("ミナトテレビ２");
    EXPECT_EQ(names.byService.at(1025).name1, tv2);
    // HD video on the main service goes by the stream name; SD (or none seen)
    // and progressive video by the service name; the sub channel always by its own.
    using Fields = std::vector<std::string>;
    EXPECT_EQ(channel_fields(names, 1024, 0xB3), (Fields{tv, tv1, "3ch"}));
    EXPECT_EQ(channel_fields(names, 1024, 0x01), (Fields{tv1, tv1, "3ch"}));
    EXPECT_EQ(channel_fields(names, 1024, 0xA3), (Fields{tv1, tv1, "3ch"}));
    EXPECT_EQ(channel_fields(names, 1025, 0x01), (Fields{tv2, tv2, "3ch"}));
    EXPECT_EQ(channel_fields(names, 1025, 0xB3), (Fields{tv2, tv2, "3ch"}));
}

TEST(ServiceNames, LabelsAndFallbacks) {
    ServiceTable table;
    add_service(table, 101, 4, "ＢＳミナト").remoteControlKeyId = 9;  // satellites: by service
    add_service(table, 102, 4, "ＢＳミナト２");
    add_service(table, 239, 6);
    add_service(table, 240, 7);
    add_service(table, 2000, 0, {}, "ローカル");
    const ServiceNames names = build_service_names(table, ChannelNameMap{});
    // 102 follows 101 in a BS multiplex: a sub-channel, named by its service;
    // a service with no name at all is named by its label.
    const std::tuple<int, const char*, const char*, const char*> expected[] = {
        {101, "BS101", "ＢＳミナト", "ＢＳミナト"},
        {102, "BS102", "ＢＳミナト２", "ＢＳミナト２"},
        {239, "CS239", "CS239", "CS239"},
        {240, "CS240", "CS240", "CS240"},
        {2000, "2000", "ローカル", "ローカル"}};
    for (const auto& [service, label, name1, name2] : expected) {
        const ServiceNameSet& set = names.byService.at(static_cast<std::uint16_t>(service));
        EXPECT_EQ(set.label, label);
        EXPECT_EQ(set.name1, cp932(name1)) << service;
        EXPECT_EQ(set.name2, cp932(name2)) << service;
    }
    // Programmes without a record take a label made from the last record's kind.
    EXPECT_EQ(names.lastNetworkKind, 7);
    EXPECT_EQ(channel_fields(names, 55, 0xB3), (std::vector<std::string>{"CS55", "CS55", "CS55"}));
    EXPECT_EQ(channel_fields(build_service_names(ServiceTable{}, ChannelNameMap{}), 55, 0)[2],
              "55");

    // A later record with the same service id (another network kind) wins.
    ServiceTable twice;
    add_service(twice, 300, 0, "地上");
    add_service(twice, 300, 4, "衛星");
    EXPECT_EQ(build_service_names(twice, ChannelNameMap{}).byService.at(300).name2, cp932("衛星"));
}

TEST(ServiceNames, ChannelFileOverridesTheLabelAndLongNamesAreCut) {
    ServiceTable table;
    // 60 full-width letters decode to 120 bytes; the cut keeps whole characters.
    std::string letters;
    for (int i = 0; i < 60; ++i) letters += "Ａ";
    ServiceRecord& record = add_service(table, 1024, 0, {}, letters);
    record.transportStreamId = 16;
    record.originalNetworkId = 32;
    record.remoteControlKeyId = 1;
    ChannelNameMap channels;
    parse_channel_names(channels, cp932("わたしの局\t1024\t16\t32\r\n"));

    const ServiceNames names = build_service_names(table, channels);
    const ServiceNameSet& set = names.byService.at(1024);
    EXPECT_EQ(set.label, cp932("わたしの局"));
    EXPECT_EQ(set.name1.size(), 98u);
    EXPECT_EQ(set.name1.substr(0, 2), cp932("Ａ"));
    EXPECT_EQ(channel_fields(names, 1024, 0xB3)[2], cp932("わたしの局"));

    // Another stream id misses the entry.
    table[0].transportStreamId = 17;
    EXPECT_EQ(build_service_names(table, channels).byService.at(1024).label, "1ch");
}

}  // namespace
}  // namespace kalvento::test
