#include "rules/line_pieces.h"

#include <algorithm>

namespace kalvento {

std::vector<std::string_view> split_lines_in_pieces(std::string_view bytes, std::size_t max_piece) {
    max_piece = std::max<std::size_t>(max_piece, 1);
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
        if (end == std::string_view::npos) end = bytes.size();
        if (end > start && bytes[end - 1] == '\r' && end < bytes.size()) --end;
        std::string_view line = bytes.substr(start, end - start);
        do {
            pieces.push_back(line.substr(0, max_piece));
            line.remove_prefix(std::min(max_piece, line.size()));
        } while (!line.empty());
        start = next;
    }
    return pieces;
}

}  // namespace kalvento
