// Rule exchange files: every line is parsed and added to a working copy, which
// is then saved into a settings file and loaded back. A parsed rule must come
// back unchanged through its own export line.
#include "rules/rule_store.h"
#include "rules/rule_text_forms.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

bool same_rule(const kalvento::RenameRule& a, const kalvento::RenameRule& b) {
    if (a.FindText != b.FindText || a.FindTextCh != b.FindTextCh || a.FindType != b.FindType ||
        a.RenameText != b.RenameText || a.SyoboFind != b.SyoboFind ||
        a.SyoboFindCh != b.SyoboFindCh || a.SyoboFindSt != b.SyoboFindSt ||
        a.SyoboTT != b.SyoboTT || a.SyoboNB != b.SyoboNB || a.SyoboSB != b.SyoboSB ||
        a.SyoboCH != b.SyoboCH || a.Numbering.size() != b.Numbering.size())
        return false;
    for (std::size_t k = 0; k < a.Numbering.size(); ++k) {
        const auto& x = a.Numbering[k];
        const auto& y = b.Numbering[k];
        if (x.StartTime != y.StartTime || x.StartNo != y.StartNo || x.WeekCheck != y.WeekCheck)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    if (const auto rule = kalvento::parse_import_line(bytes.substr(0, bytes.find('\n')))) {
        const auto again = kalvento::parse_import_line(kalvento::format_export_line(*rule));
        if (!again || !same_rule(*rule, *again)) std::abort();
    }

    kalvento::RuleList working;
    kalvento::import_rules(working, bytes);
    kalvento::ProfileFile profile;
    const kalvento::RuleList store = kalvento::save_rules(profile, {}, working);
    if (kalvento::load_rules(profile).size() > store.size()) std::abort();
    return 0;
}
