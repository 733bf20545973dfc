#include "ts/event_descriptors.h"

#include "platform/codepage.h"
#include "platform/japan_time.h"
#include "ts/arib_text.h"
#include "ts/byte_reader.h"
#include "ts/crc32.h"

#include <algorithm>
#include <span>
#include <vector>

namespace kalvento {
namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::size_t kTextDecodeExtra = 80;  // decode buffer: 2 x source + 80 bytes

// EIT present section: the first event's event_id comes behind the 14 header
// bytes, then its start (MJD, BCD h m s), duration (BCD h m s) and the 12-bit
// descriptor loop length.
constexpr std::size_t kEitEventId = 14;
// Offset of original_network_id in an EIT section.
constexpr std::size_t kEitOriginalNetworkId = 10;

// Descriptor tags and body layouts.
constexpr std::uint8_t kShortEventTag = 0x4D;
constexpr std::uint8_t kExtendedEventTag = 0x4E;
constexpr std::uint8_t kComponentTag = 0x50;
constexpr std::uint8_t kContentTag = 0x54;
constexpr std::uint8_t kAudioComponentTag = 0xC4;
constexpr std::size_t kLanguageCodeSize = 3;
constexpr std::size_t kExtendedEventHeader = 5;  // descriptor number, language, items length
constexpr int kGenreUserDefined = 0xE;           // passed over when a proper genre follows

constexpr std::int64_t kSecondsPerHour = 3600;
constexpr std::int64_t kSecondsPerMinute = 60;

int bcd(std::uint8_t value) {
    return (value >> 4) * 10 + (value & 0x0F);
}

// How the item headings of one pass are written around the heading text.
struct HeadingStyle {
    const char* before;
    const char* after;
};
const HeadingStyle kEitHeading = {"\r\r【", "】\r"};
const HeadingStyle kSitHeading = {"\r\r", "\r"};

// What the descriptors of the present event say, gathered over both passes.
struct EventDraft : EventDescription {
    // Item bytes are decoded only when the item is complete, because an item
    // text may continue in the next descriptor in the middle of a character.
    std::vector<std::uint8_t> pending;
    bool pendingFull = false;  // an item outgrew kPendingItemMax: its rest is dropped
};

std::string decode_text(Bytes bytes, std::size_t max_bytes) {
    std::string text = arib_to_sjis(bytes.data(), bytes.size(), kTextDecodeExtra);
    cut_cp932(text, max_bytes);
    return text;
}

void flush_pending(EventDraft& draft) {
    if (!draft.pending.empty()) {
        append_cp932(draft.extended, decode_text(draft.pending, kExtendedTextMax),
                     kExtendedTextMax);
    }
    draft.pending.clear();
    draft.pendingFull = false;
}

void add_pending(EventDraft& draft, Bytes field) {
    if (draft.pendingFull || draft.pending.size() + field.size() > kPendingItemMax) {
        // Whole fields only: cutting raw bytes could split a character.
        draft.pendingFull = true;
        return;
    }
    draft.pending.insert(draft.pending.end(), field.begin(), field.end());
}

// Reads the next length-prefixed text of a descriptor body; false at the end of
// the body or when the length runs past it.
bool next_field(ByteReader& body, Bytes& field) {
    if (body.remaining() == 0) return false;
    const std::size_t length = body.u8();
    field = body.bytes(length);
    return body.ok();
}

void read_short_event(ByteReader body, EventDraft& draft) {
    body.skip(kLanguageCodeSize);
    int found = 0;
    Bytes field;
    // Empty texts do not count: a nameless event takes its description as name.
    while (found < 2 && next_field(body, field)) {
        if (field.empty()) continue;
        if (found++ == 0) {
            draft.name = decode_text(field, kEventNameMax);
        } else {
            draft.text = decode_text(field, kEventTextMax);
        }
    }
}

void read_extended_event(ByteReader body, const HeadingStyle& style, EventDraft& draft) {
    body.skip(kExtendedEventHeader);
    bool first = true;
    Bytes field;
    // Every field counts, empty or not: only a descriptor's first field can be
    // a heading; the rest (item texts, later headings, the closing text) joins
    // the pending item.
    while (next_field(body, field)) {
        if (first && !field.empty()) {
            // A heading closes the item before it.
            flush_pending(draft);
            const std::string heading = decode_text(field, kItemHeadingMax);
            append_cp932(draft.extended, cp932(style.before) + heading + cp932(style.after),
                         kExtendedTextMax);
        } else if (!field.empty()) {
            add_pending(draft, field);
        }
        first = false;
    }
}

void read_component(ByteReader body, EventDraft& draft) {
    body.skip(1);  // stream content
    const std::uint8_t type = body.u8();
    if (body.ok()) draft.videoType = type;
}

void read_audio_component(ByteReader body, EventDraft& draft) {
    body.skip(1);  // stream content
    const std::uint8_t type = body.u8();
    if (!body.ok()) return;
    draft.audioType = type;
    body.skip(3);  // tag, stream type, simulcast group
    const std::uint8_t flags = body.u8();
    if (body.ok()) draft.audioQuality = (flags >> 4) & 0x03;
}

void read_content(ByteReader body, EventDraft& draft) {
    while (body.remaining() > 0) {
        const std::uint8_t nibbles = body.u8();
        draft.genreLevel1 = nibbles >> 4;
        draft.genreLevel2 = nibbles & 0x0F;
        if (draft.genreLevel1 != kGenreUserDefined) break;
        body.skip(1);  // user nibbles
    }
}

void read_descriptors(ByteReader loop, const HeadingStyle& style, EventDraft& draft) {
    while (loop.remaining() >= 2) {
        const std::uint8_t tag = loop.u8();
        const std::size_t length = loop.u8();
        const ByteReader body = loop.take(length);
        if (!loop.ok()) break;  // damaged: claims more than is there
        switch (tag) {
            case kShortEventTag:
                read_short_event(body, draft);
                break;
            case kExtendedEventTag:
                read_extended_event(body, style, draft);
                break;
            case kComponentTag:
                read_component(body, draft);
                break;
            case kAudioComponentTag:
                read_audio_component(body, draft);
                break;
            case kContentTag:
                read_content(body, draft);
                break;
            default:
                break;
        }
    }
    flush_pending(draft);
}

std::int64_t end_time(std::int64_t start, std::uint8_t hours_bcd, std::uint8_t minutes_bcd) {
    return start + bcd(hours_bcd) * kSecondsPerHour + bcd(minutes_bcd) * kSecondsPerMinute;
}

void read_eit_pass(Bytes section, EventDraft& draft) {
    // The section as far as its own length says, without the CRC.
    ByteReader header(section);
    header.skip(1);
    const std::size_t total = std::min<std::size_t>(section.size(), 3 + header.u12());
    if (!header.ok() || total < kCrcBytes) return;
    ByteReader reader(section.first(total - kCrcBytes));

    reader.skip(kEitOriginalNetworkId);
    const std::uint16_t original_network_id = reader.u16();
    reader.skip(kEitEventId - kEitOriginalNetworkId - 2);
    const std::uint16_t event_id = reader.u16();
    const std::uint16_t mjd = reader.u16();
    const std::uint8_t hour = reader.u8();
    const std::uint8_t minute = reader.u8();
    reader.skip(1);  // seconds are not used
    const std::uint8_t duration_hours = reader.u8();
    const std::uint8_t duration_minutes = reader.u8();
    reader.skip(1);
    const std::size_t loop_length = reader.u12();
    // Without the fixed event fields there is no event.
    if (!reader.ok()) return;

    draft.eventId = event_id;
    draft.originalNetworkId = original_network_id;
    draft.startTime = broadcast_time(mjd, hour, minute);
    draft.endTime = end_time(draft.startTime, duration_hours, duration_minutes);
    read_descriptors(reader.take_up_to(loop_length), kEitHeading, draft);
}

void read_sit_pass(const SitEvent& event, EventDraft& draft) {
    const auto mjd = static_cast<std::uint16_t>((event.start[0] << 8) | event.start[1]);
    draft.startTime = broadcast_time(mjd, event.start[2], event.start[3]);
    // The partial-TS time descriptor gives the duration too, so the end is real.
    draft.endTime = end_time(draft.startTime, event.duration[0], event.duration[1]);
    read_descriptors(ByteReader(event.descriptors), kSitHeading, draft);
}

}  // namespace

EventDescription describe_present_event(const ProgramEntry& program) {
    EventDraft draft;
    if (!program.presentEventSection.empty()) read_eit_pass(program.presentEventSection, draft);
    // The SIT of a partial stream overrides start, end, name and text.
    if (program.sitEvent.present()) read_sit_pass(program.sitEvent, draft);
    return static_cast<EventDescription&&>(draft);
}

std::int64_t broadcast_time(std::uint16_t mjd, std::uint8_t hour_bcd, std::uint8_t minute_bcd) {
    // MJD 40587 is 1970-01-01; the clock time is Japan time.
    constexpr std::int64_t kUnixEpochMjd = 40587;
    return (static_cast<std::int64_t>(mjd) - kUnixEpochMjd) * kSecondsPerDay +
           bcd(hour_bcd) * kSecondsPerHour + bcd(minute_bcd) * kSecondsPerMinute -
           kJapanUtcOffsetSeconds;
}

}  // namespace kalvento
