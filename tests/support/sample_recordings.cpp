#include "tests/support/sample_recordings.h"

#include "tests/support/arib_encoder.h"

#include <string_view>
#include <utility>

namespace kalvento::test {
namespace {

constexpr std::size_t kMegabyte = 1 << 20;

Bytes text(std::string_view utf8) {
    return arib_encode(utf8);
}

std::size_t packets_for(std::size_t megabytes, int unit) {
    return megabytes * kMegabyte / static_cast<std::size_t>(unit);
}

RecordingEvent event(std::uint16_t id, std::array<std::uint8_t, 5> start,
                     std::array<std::uint8_t, 3> duration, std::string_view name,
                     std::string_view description, const std::vector<ExtendedItem>& items,
                     std::uint8_t video_type, std::pair<std::uint8_t, std::uint8_t> genre,
                     double from = 0.0) {
    Bytes descriptors =
        concat({short_event_descriptor(text(name), text(description)),
                extended_event_descriptor(0, 0, items), component_descriptor(0x01, video_type),
                audio_component_descriptor(0x03), content_descriptor({genre})});
    return RecordingEvent{.eventId = id,
                          .start = start,
                          .duration = duration,
                          .descriptors = std::move(descriptors),
                          .from = from};
}

ExtendedItem item(std::string_view heading, std::string_view body) {
    return ExtendedItem{text(heading), text(body)};
}

RecordingService service(std::uint16_t id, std::uint16_t pmt_pid, std::uint16_t video_pid,
                         int video_percent, std::string_view provider, std::string_view name) {
    RecordingService service;
    service.serviceId = id;
    service.pmtPid = pmt_pid;
    service.videoPid = video_pid;
    service.videoPercent = video_percent;
    service.providerName = text(provider);
    service.serviceName = text(name);
    return service;
}

}  // namespace

RecordingPlan sample_terrestrial_two_services() {
    RecordingPlan plan;
    plan.networkId = 0x7FE8;
    plan.transportStreamId = 0x7FE8;
    plan.remoteControlKeyId = 3;
    plan.tsName = text("カルヴェントテレビ");
    plan.packets = packets_for(6, plan.unitSize);
    RecordingService hd = service(1024, 0x01F0, 0x0111, 60, "カルヴェント", "カルヴェントテレビ");
    hd.events.push_back(event(0x1A01, mjd_time(2024, 4, 1, 19, 0), bcd_duration(0, 45),
                              "ニュース７　[字]",
                              "きょうの主なニュースと全国の天気をお伝えします。",
                              {item("番組内容", "国内外の出来事をわかりやすく伝えます。"),
                               item("出演者", "【キャスター】山田太郎、佐藤花子")},
                              0xB3, {0x0, 0x0}));
    RecordingService sd = service(1025, 0x01F1, 0x0112, 25, "カルヴェント", "カルヴェントテレビ２");
    sd.events.push_back(event(0x1B01, mjd_time(2024, 4, 1, 19, 0), bcd_duration(0, 30),
                              "みんなの体操", "毎日続けられる体操を紹介します。",
                              {item("番組内容", "椅子に座ったままできる体操です。")}, 0x01,
                              {0x1, 0x2}));
    plan.services = {hd, sd};
    return plan;
}

RecordingPlan sample_bs_service_101() {
    RecordingPlan plan;
    plan.networkId = 0x0004;
    plan.transportStreamId = 0x4010;
    plan.remoteControlKeyId = 1;
    plan.tsName = text("ＢＳカルヴェント");
    plan.packets = packets_for(4, plan.unitSize);
    RecordingService bs =
        service(101, 0x01F0, 0x0100, 90, "ＢＳカルヴェント", "ＢＳカルヴェント１");
    bs.events.push_back(
        event(0x2001, mjd_time(2024, 4, 2, 21, 0), bcd_duration(1, 50),
              "世界の名城紀行　第３回「白鷺城」", "四季の姫路城を高精細映像で巡ります。",
              {item("番組内容", "石垣と天守の美しさに迫ります。"), item("語り", "田中一郎")}, 0xB3,
              {0x8, 0x1}));
    plan.services = {bs};
    return plan;
}

RecordingPlan sample_programme_change() {
    RecordingPlan plan;
    plan.networkId = 0x7FE8;
    plan.transportStreamId = 0x7FE8;
    plan.remoteControlKeyId = 3;
    plan.tsName = text("カルヴェントテレビ");
    plan.packets = packets_for(6, plan.unitSize);
    RecordingService hd = service(1024, 0x01F0, 0x0111, 92, "カルヴェント", "カルヴェントテレビ");
    hd.events.push_back(event(0x1C01, mjd_time(2024, 4, 3, 18, 45), bcd_duration(0, 15), "天気予報",
                              "あすの全国の天気。", {}, 0xB3, {0x0, 0x1}));
    hd.events.push_back(event(
        0x1C02, mjd_time(2024, 4, 3, 19, 0), bcd_duration(0, 54), "ドラマ「港町の灯り」　第５話",
        "灯台守の娘・美咲は、嵐の夜に見知らぬ青年を助ける。",
        {item("出演者", "鈴木一郎、高橋美咲"), item("脚本", "中村恵")}, 0xB3, {0x3, 0x0}, 0.4));
    plan.services = {hd};
    return plan;
}

RecordingPlan sample_partial_ts_sit() {
    RecordingPlan plan;
    plan.unitSize = 192;
    plan.partial = true;
    plan.networkId = 0x0004;
    plan.transportStreamId = 0x4011;
    plan.packets = packets_for(3, plan.unitSize);
    RecordingService bs = service(103, 0x01F0, 0x0100, 94, "", "ＢＳカルヴェント３");
    bs.events.push_back(event(0x3001, mjd_time(2024, 4, 4, 20, 0), bcd_duration(2, 0),
                              "映画「夏の終わりに」", "ひと夏の出会いを描く青春映画。",
                              {item("出演者", "山本陽子、小林健")}, 0xB3, {0x6, 0x0}));
    plan.services = {bs};
    return plan;
}

}  // namespace kalvento::test
