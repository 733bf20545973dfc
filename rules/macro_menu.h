// The macro menu file: macros and examples of the template language that the
// text fields of the rule edit dialog offer in their context menu.
//
// The file lies beside the settings file, one entry per line: group, macro and
// label separated by tabs, CP932, CR LF (a bare LF is accepted). When it is
// missing it is written with the built-in default lines. The list is loaded once
// at start; the menu itself is drawn by the dialog layer from
// `macro_menu_layout`.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kalvento {

struct MacroEntry {
    std::string group;  // submenu name; empty = directly in the context menu
    std::string macro;  // text inserted at the caret
    std::string label;  // explanation shown beside the macro
};

// A line is read in pieces of at most this many bytes, each an entry of its own.
inline constexpr std::size_t kMacroLineMax = 1023;
// Only the first part of a larger file is read.
inline constexpr std::size_t kMacroMenuFileMaxBytes = 4u * 1024u * 1024u;
// Entry i is command kMacroCommandBase + i; only the first kMacroChoosableCount can be chosen.
inline constexpr int kMacroCommandBase = 6000;
inline constexpr std::size_t kMacroChoosableCount = 1000;

// One built-in line, in UTF-8. The meaning and the example are not written to
// the file: they serve the macro reference of the command line and the
// manual page, which are made from these same lines.
struct DefaultMacroLine {
    std::string_view group;
    std::string_view macro;
    std::string_view label;
    std::string_view meaning;       // English
    std::string_view example = {};  // a template showing the line at work; empty: the macro itself
};

inline constexpr std::size_t kDefaultMacroLineCount = 71;

// The 71 built-in lines in file order.
std::span<const DefaultMacroLine> default_macro_lines();

// The built-in lines, then the lines only the reference lists (forms of the
// language the default menu does not offer): together they name every macro.
std::span<const DefaultMacroLine> macro_reference_lines();

// The bytes of a new macro menu file: every default line as CP932, ended by CR LF.
std::string default_macro_menu_file();

// The entries of a macro menu file's bytes: a line with at least three fields
// gives (field 1, field 2, field 3), any other line an entry with three empty
// texts.
std::vector<MacroEntry> parse_macro_menu(std::string_view bytes);

// Reads the macro menu file at `path` (native path), first creating it with the
// default lines when it does not exist. A file that exists but cannot be read
// is left alone and gives an empty list, as does one that cannot be created.
std::vector<MacroEntry> load_macro_menu(const std::string& path);

// The context menu as data: the entries without a group in list order, then one
// submenu per group (names compared byte for byte) in the order in which the
// groups first occur, each with its entries in list order. Entries are list
// positions.
struct MacroSubmenu {
    std::string group;
    std::vector<std::size_t> entries;
};
struct MacroMenuLayout {
    std::vector<std::size_t> topLevel;
    std::vector<MacroSubmenu> submenus;
};
MacroMenuLayout macro_menu_layout(const std::vector<MacroEntry>& entries);

// The menu item text: the macro, a tab and the label (shown right-aligned).
std::string macro_item_text(const MacroEntry& entry);

// The command of the entry at `position`.
int macro_command(std::size_t position);

// The entry a menu command chooses, or nullopt for a command outside the macro
// range, past the choosable entries or past the list.
std::optional<std::size_t> macro_position_for_command(int command, std::size_t list_size);

}  // namespace kalvento
