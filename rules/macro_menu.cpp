#include "rules/macro_menu.h"

#include "platform/codepage.h"
#include "platform/file_ops.h"
#include "rules/line_pieces.h"
#include "text/fields.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <unordered_map>

namespace kalvento {
namespace {

constexpr std::size_t kMacroFieldCount = 3;

// Creates the file with the default lines, never replacing an existing file. A
// half-written file is removed, so the next start tries again.
void create_default_file(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return;
    const bool written = write_all(fd, default_macro_menu_file());
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) ::unlink(path.c_str());
}

enum class ReadOutcome { ok, missing, failed };

ReadOutcome read_file(const std::string& path, std::string& bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? ReadOutcome::missing : ReadOutcome::failed;
    bytes.clear();
    char buffer[65536];
    ReadOutcome outcome = ReadOutcome::ok;
    while (bytes.size() < kMacroMenuFileMaxBytes) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) outcome = ReadOutcome::failed;
        if (got <= 0) break;
        bytes.append(
            buffer, std::min(static_cast<std::size_t>(got), kMacroMenuFileMaxBytes - bytes.size()));
    }
    ::close(fd);
    return outcome;
}

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
    std::string bytes;
    ReadOutcome outcome = read_file(path, bytes);
    if (outcome == ReadOutcome::missing) {
        create_default_file(path);
        outcome = read_file(path, bytes);
    }
    if (outcome != ReadOutcome::ok) return {};
    return parse_macro_menu(bytes);
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
