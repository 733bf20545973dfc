// Genre names of the content descriptor's nibbles (UTF-8).
#pragma once

namespace kalvento {

// Name of a level-1 genre 0x0..0xB, or nullptr.
const char* genre_level1_name(int level1);
// Name of a level-2 genre within a level-1 genre 0x0..0xB, or nullptr when the
// table has none.
const char* genre_level2_name(int level1, int level2);

}  // namespace kalvento
