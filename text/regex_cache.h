// Compiled regular expressions, kept in a small cache keyed by the pattern.
//
// Rules are matched against every title at each keystroke, so the same few
// hundred patterns are compiled again and again; keeping them compiled gives
// the same results as compiling afresh, at a fraction of the cost. The cache
// belongs to the calling thread, so no locking is needed.
#pragma once

#include <boost/regex.hpp>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace kalvento {

struct CompiledPattern {
    boost::wregex regex;
    bool valid = false;
    std::string error;  // CP932 description from the library when not valid
};

// The CP932 pattern (its first 1023 characters) compiled with Perl syntax, or
// its error description. Keyed by the pattern's own bytes, so a cached pattern
// costs no conversion.
std::shared_ptr<const CompiledPattern> compile_pattern(std::string_view cp932_pattern);

// How many compiled patterns this thread keeps; 0 compiles on every call.
void set_regex_cache_capacity(std::size_t capacity);
std::size_t regex_cache_capacity();

}  // namespace kalvento
