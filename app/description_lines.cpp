#include "app/description_lines.h"

#include "platform/cp932_text.h"

namespace kalvento {
namespace {

void add_line(std::string_view line, std::vector<std::string>& lines) {
    if (line.size() < kDescriptionLineKeep) {
        lines.emplace_back(line);
        return;
    }
    while (!line.empty()) {
        std::size_t cut = 0;
        while (cut < line.size() && cut < kDescriptionPieceBytes)
            cut += cp932_char_width(line, cut);
        lines.emplace_back(line.substr(0, cut));
        line.remove_prefix(cut);
    }
}

}  // namespace

std::vector<std::string> description_lines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        // A carriage return is never the trail byte of a double-byte character.
        const std::size_t end = text.find('\r');
        add_line(text.substr(0, end), lines);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
        if (!text.empty() && text.front() == '\n') text.remove_prefix(1);
    }
    return lines;
}

std::vector<std::string> description_menu_lines(const ProgramInfo& info) {
    if (info.eventText.empty()) return {};
    std::vector<std::string> lines = description_lines(info.eventText);
    for (std::string& line : description_lines(info.extendedText)) lines.push_back(std::move(line));
    return lines;
}

}  // namespace kalvento
