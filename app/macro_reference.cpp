#include "app/macro_reference.h"

#include "app/example_programme.h"
#include "platform/codepage.h"
#include "rules/macro_menu.h"
#include "rules/rule_engine.h"

namespace kalvento {

MacroReference macro_reference() {
    MacroReference reference;
    reference.programme = example_broadcast();
    reference.recordingName = example_recording_name();
    reference.rule = example_rule();
    for (const DefaultMacroLine& line : macro_reference_lines()) {
        MacroReferenceLine shown;
        shown.group = cp932(line.group);
        shown.macro = cp932(line.macro);
        shown.label = cp932(line.label);
        shown.meaning = cp932(line.meaning);
        shown.example = line.example.empty() ? shown.macro : cp932(line.example);
        // Each example on a fresh copy: @C, @R and @MST edit the programme.
        ProgramInfo programme = reference.programme;
        RenameRule rule = reference.rule;
        rule.RenameText = shown.example;
        apply_rule(reference.recordingName, programme, rule, shown.result);
        reference.lines.push_back(std::move(shown));
    }
    return reference;
}

}  // namespace kalvento
