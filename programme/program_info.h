// One programme candidate of a recording: what the analysis found out about a
// programme that was on air while the window was read, with its ready-made text
// items. Every string holds code page 932 bytes.
#pragma once

#include <cstdint>
#include <string>

namespace kalvento {

struct ProgramInfo {
    std::string eventName;     // event name; the programme-name edit dialog may change it
    std::string title;         // working title of the rename rules, starts as eventName
    std::string eventText;     // short event description
    std::string extendedText;  // extended event text with its item headings
    std::string channelName;   // broadcaster name (@CH)
    std::string serviceName;   // service name (@CH2)
    std::string channelLabel;  // ChSet3.txt name or numbered label (@CH3)

    // Filled by the schedule lookup.
    std::string queryRow;
    std::string queryTitle;
    std::string resultTitle;
    std::string resultNumbers;
    std::string resultSubtitle;
    std::string resultChannel;
    std::string queryCell;
    std::string querySpan;
    std::string queryKey;
    std::string queryMemo;  // cleared when queryKey changes

    // The start, formatted; each form in a 24-hour and a 28-hour version.
    std::string dateMD;
    std::string timeHM;
    std::string dateMD28;
    std::string timeHM28;
    std::string dateYMDJ;
    std::string dateYMDJ28;
    std::string dateYMDSlash;
    std::string dateYMDSlash28;
    std::string timeColon;
    std::string timeColon28;
    std::string stamp;
    std::string stamp28;
    std::string dateISO;
    std::string dateISO28;
    std::string dateDots;
    std::string dateDots28;
    std::string dateCompact;
    std::string dateCompact28;

    std::string avText;  // video and audio summary, e.g. 1080i(16:9)[stereo]
    std::string genre;
    std::string genreMajor;
    std::string genreMinor;
    std::string eventTextFlat;  // eventText without line breaks
    std::string eventTextLine;  // eventText up to its first line break

    std::uint16_t serviceId = 0;          // programme number
    std::uint16_t eventId = 0;            // 0 when the event came from the SIT only
    std::uint16_t originalNetworkId = 0;  // of the event's EIT section; 0 from the SIT only
    std::uint32_t videoPackets = 0;       // video packets counted while the event was on air
    std::int64_t startTime =
        0;                     // seconds since 1970, broadcast time read as local time; 0 = no data
    std::int64_t endTime = 0;  // startTime plus the duration's hours and minutes
};

}  // namespace kalvento
