#include "programme/item_format.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "platform/codepage.h"
#include "platform/japan_time.h"
#include "programme/genre_tables.h"

namespace kalvento {
namespace {

constexpr int kHoursPerDay = 24;
constexpr int kGenreOther = 0xF;  // "その他" as level 1, and as level 2 under every level 1

const char* const kWeekdayLetters[7] = {"日", "月", "火", "水", "木", "金", "土"};

struct Calendar {
    long long year = 0;
    int month = 0;  // 1..12
    int day = 0;
    int hour = 0;
    int minute = 0;
    const char* weekday = "";
};

bool break_japan_time(std::int64_t seconds, Calendar& calendar) {
    const auto fields = japan_calendar(seconds);
    if (!fields) return false;
    calendar.year = fields->year;
    calendar.month = fields->month;
    calendar.day = fields->day;
    calendar.hour = fields->hour;
    calendar.minute = fields->minute;
    calendar.weekday = kWeekdayLetters[fields->weekday];
    return true;
}

// snprintf into a UTF-8 buffer, then CP932. The formats hold Japanese letters,
// so the text is written in UTF-8 first and converted once.
template <typename... Args>
std::string format_item(const char* utf8_format, Args... args) {
    char buffer[96];
    const int written = std::snprintf(buffer, sizeof buffer, utf8_format, args...);
    if (written < 0) return std::string();
    return cp932(std::string_view(buffer, std::min<std::size_t>(written, sizeof buffer - 1)));
}

// The date forms written from the calendar fields of one day.
struct DateForms {
    std::string md, ymdj, ymdSlash, iso, dots, compact;
};

DateForms format_dates(const Calendar& c) {
    DateForms forms;
    forms.md = format_item("%02d月%02d日(%s)", c.month, c.day, c.weekday);
    forms.ymdj = format_item("%04lld年%02d月%02d日(%s)", c.year, c.month, c.day, c.weekday);
    forms.ymdSlash = format_item("%04lld／%02d／%02d", c.year, c.month, c.day);
    forms.iso = format_item("%04lld-%02d-%02d", c.year, c.month, c.day);
    forms.dots = format_item("%02d.%02d.%02lld", c.month, c.day, c.year % 100);
    forms.compact = format_item("%04lld%02d%02d(%s)", c.year, c.month, c.day, c.weekday);
    return forms;
}

}  // namespace

void set_date_items(ProgramInfo& info) {
    Calendar now;
    if (!break_japan_time(info.startTime, now)) return;

    const DateForms day = format_dates(now);
    info.dateMD = day.md;
    info.timeHM = format_item("%02d時%02d分", now.hour, now.minute);
    info.dateYMDJ = day.ymdj;
    info.dateYMDSlash = day.ymdSlash;
    info.dateISO = day.iso;
    info.dateDots = day.dots;
    info.stamp =
        format_item("%04lld%02d%02d%02d%02d", now.year, now.month, now.day, now.hour, now.minute);
    info.timeColon = format_item("%02d：%02d", now.hour, now.minute);
    info.dateCompact = day.compact;

    Calendar previous;
    if (now.hour >= kBroadcastDayStartHour ||
        !break_japan_time(info.startTime - kSecondsPerDay, previous)) {
        info.dateMD28 = info.dateMD;
        info.timeHM28 = info.timeHM;
        info.dateYMDJ28 = info.dateYMDJ;
        info.dateYMDSlash28 = info.dateYMDSlash;
        info.dateISO28 = info.dateISO;
        info.dateDots28 = info.dateDots;
        info.stamp28 = info.stamp;
        info.timeColon28 = info.timeColon;
        info.dateCompact28 = info.dateCompact;
        return;
    }
    // Small hours count as hours 24..28 of the previous broadcast day.
    const int late_hour = now.hour + kHoursPerDay;
    const DateForms eve = format_dates(previous);
    info.dateMD28 = eve.md;
    info.timeHM28 = format_item("%02d時%02d分", late_hour, now.minute);
    info.dateYMDJ28 = eve.ymdj;
    info.dateYMDSlash28 = eve.ymdSlash;
    info.dateISO28 = eve.iso;
    info.dateDots28 = eve.dots;
    info.stamp28 = format_item("%04lld%02d%02d%02d%02d", previous.year, previous.month,
                               previous.day, late_hour, now.minute);
    info.timeColon28 = format_item("%02d：%02d", late_hour, now.minute);
    info.dateCompact28 = eve.compact;
}

std::string format_av_text(std::uint8_t video_type, std::uint8_t audio_type,
                           std::uint8_t audio_quality) {
    const char* resolution = "--";
    switch (video_type >> 4) {
        case 0x0:
            resolution = "480i";
            break;
        case 0xA:
            resolution = "480p";
            break;
        case 0xB:
            resolution = "1080i";
            break;
        default:
            break;
    }
    const char* aspect = "(--)";
    switch (video_type & 0x0F) {
        case 1:
            aspect = "(4:3)";
            break;
        case 3:
            aspect = "(16:9)";
            break;
        case 4:
            aspect = "(4:3pan)";
            break;
        default:
            break;
    }
    const char* audio = "--";
    switch (audio_type) {
        case 1:
            audio = "mon";
            break;
        case 2:
            audio = "2mon";
            break;
        case 3:
            audio = "stereo";
            break;
        case 7:
            audio = "4ch";
            break;
        case 8:
            audio = "5ch";
            break;
        case 9:
            audio = "5.1ch";
            break;
        default:
            break;
    }
    std::string text = std::string(resolution) + aspect + "[" + audio;
    if (audio_quality == 1) text += "B";
    return text + "]";
}

void set_genre_items(int level1, int level2, ProgramInfo& info) {
    const char* major = nullptr;
    const char* minor = nullptr;
    if (level1 < 0) {
        major = "ジャンル無し";
    } else if (level1 == kGenreOther) {
        major = "その他";
    } else {
        major = genre_level1_name(level1);  // nullptr for 0xC..0xE
    }
    if (level2 == kGenreOther) {
        minor = "その他";
    } else if (level1 >= 0) {
        minor = genre_level2_name(level1, level2);
    }
    info.genreMajor = major != nullptr ? cp932(major) : std::string();
    info.genreMinor = minor != nullptr ? cp932(minor) : std::string();
    info.genre = info.genreMajor;
    if (!info.genreMinor.empty()) info.genre += "(" + info.genreMinor + ")";
}

}  // namespace kalvento
