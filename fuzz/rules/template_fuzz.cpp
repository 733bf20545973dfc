// Arbitrary templates, patterns, programme texts and numbering entries through
// the rule engine. The input starts with a small binary header (times and
// numbering entries), then NUL-separated texts.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "rules/rule_engine.h"

namespace {

using namespace kalvento;

// Reads fixed-size values from the front of the input; reads past the end give 0.
class HeaderReader {
  public:
    HeaderReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    template <typename T>
    T take() {
        T value{};
        const std::size_t length = std::min(sizeof(T), size_ - used_);
        std::memcpy(&value, data_ + used_, length);
        used_ += length;
        return value;
    }
    // A time near 2010, or now and then any 64-bit value.
    std::int64_t take_time() {
        const auto mode = take<std::uint8_t>();
        if (mode % 4 == 0) return take<std::int64_t>();
        return std::int64_t{1'262'617'200} +
               take<std::int32_t>();  // 2010-01-05 00:00 JST plus or minus 68 years
    }
    std::string_view rest() const {
        return {reinterpret_cast<const char*>(data_) + used_, size_ - used_};
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t used_ = 0;
};

std::vector<std::string> split_at_nul(std::string_view text, std::size_t count) {
    std::vector<std::string> fields;
    while (fields.size() + 1 < count) {
        const auto end = text.find('\0');
        if (end == std::string_view::npos) break;
        fields.emplace_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    fields.emplace_back(text);
    fields.resize(count);
    return fields;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    HeaderReader header(data, size);
    RenameRule rule;
    const auto shape = header.take<std::uint8_t>();
    rule.FindType = shape % 4;
    const std::size_t entry_count = (shape >> 2) % 4;
    for (std::size_t i = 0; i < entry_count; ++i) {
        NumberingEntry entry;
        entry.StartTime = header.take_time();
        entry.StartNo = header.take<std::int32_t>();
        const auto weekdays = header.take<std::uint8_t>();
        for (int d = 0; d < 7; ++d) entry.WeekCheck[d] = (weekdays >> d) & 1;
        rule.Numbering.push_back(entry);
    }
    ProgramInfo candidate;
    candidate.startTime = header.take_time();
    const std::int64_t duration = std::int64_t{header.take<std::uint16_t>()} * 60;
    if (__builtin_add_overflow(candidate.startTime, duration, &candidate.endTime))
        candidate.endTime = candidate.startTime;

    enum {
        kTemplate,
        kFind,
        kFindCh,
        kSearch,
        kName,
        kText,
        kExtended,
        kTitle,
        kChannel,
        kService,
        kNumbers,
        kQuery,
        kFile,
        kFieldCount
    };
    const std::vector<std::string> fields = split_at_nul(header.rest(), kFieldCount);
    rule.RenameText = fields[kTemplate];
    // An empty pattern would never match; "." lets the template run for most inputs.
    rule.FindText = fields[kFind].empty() ? "." : fields[kFind];
    rule.FindTextCh = fields[kFindCh].empty() ? "." : fields[kFindCh];
    rule.SyoboFind = fields[kSearch];
    candidate.eventName = fields[kName];
    candidate.eventText = fields[kText];
    candidate.extendedText = fields[kExtended];
    candidate.title = fields[kTitle].empty() ? "x" : fields[kTitle];
    candidate.channelName = fields[kChannel].empty() ? "x" : fields[kChannel];
    candidate.serviceName = fields[kService];
    candidate.queryTitle = fields[kQuery];

    const std::string numbers = fields[kNumbers];
    const ScheduleLookup lookup = [&numbers](ProgramInfo& info, const RenameRule&,
                                             std::string_view) {
        info.resultNumbers = numbers;
        info.resultTitle = numbers;
        return ScheduleDecision{};
    };
    std::string output;
    (void)apply_rule(fields[kFile], candidate, rule, output, lookup);

    // A second pass over the edited candidate, as a recomposition does.
    std::string result;
    if (apply_first_rule({rule, rule}, fields[kFile], candidate, result) &&
        result.size() > kRuleResultLimit)
        __builtin_trap();
    return 0;
}
