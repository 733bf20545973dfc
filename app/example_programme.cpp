#include "app/example_programme.h"

#include "platform/codepage.h"
#include "platform/japan_time.h"
#include "programme/item_format.h"

namespace kalvento {

ProgramInfo example_programme() {
    ProgramInfo info;
    info.eventName = cp932("夜のドラマ「港町の灯り」");
    info.title = info.eventName;
    info.eventText = cp932("第５話「嵐の前」\r灯台守の娘が嵐の夜に青年を助ける。");
    info.eventTextFlat = cp932("第５話「嵐の前」灯台守の娘が嵐の夜に青年を助ける。");
    info.eventTextLine = cp932("第５話「嵐の前」");
    info.channelName = cp932("カルヴェントテレビ");
    info.serviceName = info.channelName;
    info.startTime = 1712507400;  // 2024-04-08 01:30 in Japan
    info.endTime = info.startTime + 30 * 60;
    set_date_items(info);
    info.avText = format_av_text(0xB3, 0x03, 0);
    set_genre_items(0x3, 0x0, info);
    return info;
}

ProgramInfo example_broadcast() {
    ProgramInfo info = example_programme();
    info.eventName = cp932("＜新＞夜のドラマ「港町の灯り」　#5[字]");
    info.title = info.eventName;
    // A description of one line: a subtitle with a line break would take
    // the rest of the description into the name.
    info.eventText = info.eventTextLine;
    info.eventTextFlat = info.eventTextLine;
    info.extendedText = cp932("あらすじ：灯台守の娘が嵐の夜に青年を助ける。出演：山田花子");
    info.serviceName = cp932("カルヴェント１");
    info.channelLabel = cp932("3ch");
    return info;
}

std::string example_recording_name() {
    return "20240408_0130_KTV.ts";
}

RenameRule example_rule() {
    RenameRule rule;
    rule.FindText = cp932("夜のドラマ");
    rule.FindType = kFindProgramme;
    NumberingEntry mondays;
    mondays.StartTime = japan_time_to_unix(2024, 3, 11, 0, 0, 0);
    mondays.StartNo = 1;
    mondays.WeekCheck[1] = 1;
    rule.Numbering.push_back(mondays);
    return rule;
}

}  // namespace kalvento
