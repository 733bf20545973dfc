#include "rules/macro_menu.h"

#include "platform/codepage.h"
#include "platform/file_io.h"
#include "rules/line_pieces.h"
#include "text/fields.h"

#include <algorithm>
#include <cerrno>
#include <unordered_map>

namespace kalvento {
namespace {

constexpr std::size_t kMacroFieldCount = 3;

}  // namespace

std::string default_macro_menu_file() {
    std::string bytes;
    for (const DefaultMacroLine& line : default_macro_lines()) {
        bytes.append(cp932(line.group)).append("\t");
        bytes.append(cp932(line.macro)).append("\t");
        bytes.append(cp932(line.label)).append("\r\n");
    }
    return bytes;
}

std::vector<MacroEntry> parse_macro_menu(std::string_view bytes) {
    std::vector<MacroEntry> entries;
    for (std::string_view line : split_lines_in_pieces(bytes, kMacroLineMax)) {
        std::vector<std::string> fields = split_fields(line, "\t", false);
        if (fields.size() < kMacroFieldCount) {
            entries.emplace_back();
            continue;
        }
        entries.push_back({std::move(fields[0]), std::move(fields[1]), std::move(fields[2])});
    }
    return entries;
}

std::vector<MacroEntry> load_macro_menu(const std::string& path) {
    FileRead file = read_small_file(path, kMacroMenuFileMaxBytes, true);
    if (file.status == ReadStatus::missing) {
        // A half-written file is removed again, so the next start tries anew.
        create_new_file(path, default_macro_menu_file());
        file = read_small_file(path, kMacroMenuFileMaxBytes, true);
    }
    if (!file.ok()) return {};
    return parse_macro_menu(file.bytes);
}

MacroMenuLayout macro_menu_layout(const std::vector<MacroEntry>& entries) {
    MacroMenuLayout layout;
    std::unordered_map<std::string, std::size_t> submenu_of_group;
    for (std::size_t position = 0; position < entries.size(); ++position) {
        const std::string& group = entries[position].group;
        if (group.empty()) {
            layout.topLevel.push_back(position);
            continue;
        }
        const auto [found, is_new] = submenu_of_group.try_emplace(group, layout.submenus.size());
        if (is_new) layout.submenus.push_back({group, {}});
        layout.submenus[found->second].entries.push_back(position);
    }
    return layout;
}

std::string macro_item_text(const MacroEntry& entry) {
    return entry.macro + "\t" + entry.label;
}

int macro_command(std::size_t position) {
    return kMacroCommandBase + static_cast<int>(std::min<std::size_t>(position, 1u << 30));
}

std::optional<std::size_t> macro_position_for_command(int command, std::size_t list_size) {
    if (command < kMacroCommandBase) return std::nullopt;
    const auto position = static_cast<std::size_t>(command - kMacroCommandBase);
    if (position >= kMacroChoosableCount || position >= list_size) return std::nullopt;
    return position;
}

}  // namespace kalvento
