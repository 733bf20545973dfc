// Checks of a template as written: the "@" that start no macro. The language
// keeps such an "@" as text, so "@tt" for "@TT" gives a name with "@tt" in
// it; saying so spares the user a search.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kalvento {

// The text shown for the stray "@" at `at`: it and the ASCII letters and
// digits after it ("@tt", "@5nb"), or "@" alone.
std::string stray_macro_text(std::string_view templ, std::size_t at);

// Every "@" of the template that names no macro, as stray_macro_text shows it,
// in template order. Arguments of macros (@C'a@b') are read as the expansion
// reads them, so an "@" inside one is not counted.
std::vector<std::string> stray_macros(std::string_view templ);

// "\"@tt\" is not a macro and stays in the name as written".
std::string stray_macro_warning(std::string_view stray);

}  // namespace kalvento
