// Full-width to half-width mapping of CP932 text.
#pragma once

#include <string>
#include <string_view>

namespace kalvento {

// Full-width ASCII forms (U+FF01..U+FF5E, among them the digits ０..９) become
// their ASCII characters and the ideographic space an ASCII blank; every other
// character keeps its bytes.
std::string to_halfwidth(std::string_view cp932);

}  // namespace kalvento
