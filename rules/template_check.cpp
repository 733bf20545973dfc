#include "rules/template_check.h"

#include "programme/program_info.h"
#include "rules/template_scan.h"

namespace kalvento {
namespace {

// Letters and digits after a stray "@" shown with it; a longer run is cut.
constexpr std::size_t kStrayNameShown = 8;

bool is_ascii_alnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

std::string stray_macro_text(std::string_view templ, std::size_t at) {
    std::size_t end = at + 1;
    while (end < templ.size() && end - at <= kStrayNameShown && is_ascii_alnum(templ[end])) ++end;
    return std::string(templ.substr(at, end - at));
}

std::vector<std::string> stray_macros(std::string_view templ) {
    // The expansion itself finds them, so an argument is skipped exactly as
    // it is when names are made; the programme is empty, nothing is kept.
    ProgramInfo nothing;
    ExpansionState state;
    std::string output;
    expand_template(templ, {}, nothing, state, output);
    std::vector<std::string> found;
    for (const std::size_t at : state.strayAts) found.push_back(stray_macro_text(templ, at));
    return found;
}

std::string stray_macro_warning(std::string_view stray) {
    return "\"" + std::string(stray) + "\" is not a macro and stays in the name as written";
}

}  // namespace kalvento
