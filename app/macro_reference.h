// The reference of the rename templates' @-macros that the command line's
// "help macros" and the manual page show: the lines of the window's macro
// menu with what each means, and what a template using it gives an example
// programme, worked out by the rule engine itself.
#pragma once

#include "programme/program_info.h"
#include "rules/rename_rule.h"

#include <string>
#include <vector>

namespace kalvento {

// One line of the reference. Texts are CP932, like the core's.
struct MacroReferenceLine {
    std::string group;    // the menu's submenu; empty for the menu itself
    std::string macro;    // what the menu inserts
    std::string label;    // what the menu shows beside it; empty when the menu lacks the line
    std::string meaning;  // in English
    std::string example;  // a template that shows the line at work
    std::string result;   // what that template gives the example programme
};

struct MacroReference {
    ProgramInfo programme;                  // the example programme (before any template ran)
    std::string recordingName;              // its file name, for @NF
    RenameRule rule;                        // the rule the templates stand in: its numbering
    std::vector<MacroReferenceLine> lines;  // in menu order, then the lines the menu lacks
};

MacroReference macro_reference();

}  // namespace kalvento
