#include "platform/message_mark.h"

namespace kalvento {

std::string fill_message(std::string_view format, std::span<const std::string_view> values) {
    std::string out;
    std::size_t next = 0;
    const auto value = [&values](std::size_t index) {
        return index < values.size() ? values[index] : std::string_view();
    };
    for (std::size_t at = 0; at < format.size();) {
        const std::size_t mark = format.find('%', at);
        out.append(format.substr(at, mark - at));
        if (mark == format.npos) break;
        const std::string_view rest = format.substr(mark + 1);
        if (rest.starts_with('s')) {
            out.append(value(next++));
            at = mark + 2;
        } else if (rest.size() >= 3 && rest[0] >= '1' && rest[0] <= '9' &&
                   rest.substr(1, 2) == "$s") {
            // "%2$s": a translation that puts the values in another order.
            out.append(value(static_cast<std::size_t>(rest[0] - '1')));
            at = mark + 4;
        } else {
            out += '%';
            at = mark + 1;
        }
    }
    return out;
}

std::string fill_message(std::string_view format, std::initializer_list<std::string_view> values) {
    return fill_message(format, std::span<const std::string_view>(values.begin(), values.size()));
}

}  // namespace kalvento
