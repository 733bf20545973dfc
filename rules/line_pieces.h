// Lines of the small text files the rules layer reads (rule exchange files, the
// macro menu), cut the way a fixed read buffer cuts them.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace kalvento {

// Splits `bytes` into lines ended by LF or CR LF (the line end is not part of
// the line; a last line without one counts; nothing after a final line end
// does). A line longer than `max_piece` bytes comes out as several pieces of
// `max_piece` bytes and a shorter rest, each taken as a line of its own.
// `max_piece` 0 is taken as 1.
std::vector<std::string_view> split_lines_in_pieces(std::string_view bytes, std::size_t max_piece);

}  // namespace kalvento
