// Rule exchange files: every line is parsed and added to a working copy, which
// is then saved into a settings file and loaded back. A parsed rule must come
// back unchanged through its own export line.
#include "rules/rule_store.h"
#include "rules/rule_text_forms.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    if (const auto rule = kalvento::parse_import_line(bytes.substr(0, bytes.find('\n')))) {
        const auto again = kalvento::parse_import_line(kalvento::format_export_line(*rule));
        if (!again || !kalvento::same_rule(*rule, *again)) std::abort();
    }

    kalvento::RuleList working;
    kalvento::import_rules(working, bytes);
    kalvento::ProfileFile profile;
    const kalvento::RuleList store = kalvento::save_rules(profile, {}, working);
    if (kalvento::load_rules(profile).size() > store.size()) std::abort();
    return 0;
}
