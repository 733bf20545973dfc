// Clipboard blocks: a pasted block must never fail, and the rule it gives must
// come back unchanged through its own block.
#include "rules/rule_text_forms.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    kalvento::RenameRule rule;
    kalvento::parse_clipboard_block(bytes, rule);

    kalvento::RenameRule again;
    kalvento::parse_clipboard_block(kalvento::format_clipboard_block(rule), again);
    if (again.FindText != rule.FindText || again.FindTextCh != rule.FindTextCh ||
        again.FindType != rule.FindType || again.RenameText != rule.RenameText ||
        again.SyoboFind != rule.SyoboFind || again.SyoboFindCh != rule.SyoboFindCh ||
        again.SyoboFindSt != rule.SyoboFindSt || again.SyoboTT != rule.SyoboTT ||
        again.SyoboNB != rule.SyoboNB || again.SyoboSB != rule.SyoboSB ||
        again.SyoboCH != rule.SyoboCH || again.Numbering.size() != rule.Numbering.size())
        std::abort();
    for (std::size_t k = 0; k < rule.Numbering.size(); ++k) {
        if (again.Numbering[k].StartTime != rule.Numbering[k].StartTime ||
            again.Numbering[k].StartNo != rule.Numbering[k].StartNo ||
            again.Numbering[k].WeekCheck != rule.Numbering[k].WeekCheck)
            std::abort();
    }
    return 0;
}
