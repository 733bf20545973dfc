#include "naming/compose.h"

#include "naming/entry_paths.h"
#include "naming/item_table.h"
#include "platform/codepage.h"
#include "platform/cp932_text.h"
#include "platform/file_ops.h"
#include "rules/rule_engine.h"

#include <optional>
#include <string_view>
#include <utility>

namespace kalvento {
namespace {

constexpr std::string_view kDefaultExtension = ".ts";

// A leading dot would hide the recording from listings and from "*.ts".
const std::string& fullwidth_dot() {
    static const std::string dot = cp932("．");
    return dot;
}

// True when the text holds something besides blanks (ASCII and ideographic).
bool has_visible_text(std::string_view text) {
    static const std::string ideographic_space = cp932("　");
    for (std::size_t i = 0; i < text.size(); i += cp932_char_width(text, i)) {
        if (text.substr(i, ideographic_space.size()) == ideographic_space) continue;
        if (text[i] != ' ' && text[i] != '\t') return true;
    }
    return false;
}

// separator 1 + item 1 + separator 2 + ... + item 4 + separator 5, bounded by
// the name buffer; a separator is written even beside an unused item. Empty
// when no item gives visible text: separators alone are no name.
std::string compose_items(const ProgramInfo& info, const NamingSettings& settings) {
    std::string name;
    bool named = false;
    for (std::size_t i = 0; i < kNameSeparatorCount; ++i) {
        std::string_view separator = settings.separators[i];
        separator = separator.substr(0, cp932_fitting_length(separator, kNameSeparatorMax));
        append_cp932(name, separator, kComposedNameMax);
        if (i < kNameItemCount) {
            if (const std::string* text = item_text(info, settings.items[i])) {
                append_cp932(name, *text, kComposedNameMax);
                named = named || has_visible_text(*text);
            }
        }
    }
    return named ? name : std::string();
}

// The extension the composed name gets, as CP932, taken from the native name so
// that a character CP932 lacks is never guessed; nullopt when it cannot be.
std::optional<std::string> recording_extension(const FileEntry& entry) {
    const std::string native_name = split_path(entry.nativePath).name;
    const std::string_view extension = extension_of(native_name);
    if (extension.empty()) return std::string(kDefaultExtension);
    return utf8_to_cp932(extension, Unmappable::fail);
}

// The native (UTF-8) form of a CP932 name; nullopt when the name cannot be a
// file name on this system (not CP932, a NUL byte, "." or "..").
std::optional<std::string> native_name(const std::string& name) {
    auto utf8 = cp932_to_utf8(name);
    if (!utf8 || utf8->empty() || *utf8 == "." || *utf8 == ".." ||
        utf8->find('\0') != std::string::npos) {
        return std::nullopt;
    }
    return utf8;
}

// The limit counts the whole path, measured on the absolute directory; an
// entry made without one (tests) measures the path as it stands.
bool path_too_long(const FileEntry& entry, std::string_view name) {
    const std::string& directory = entry.absoluteDirectory.empty()
                                       ? split_path(entry.sourcePath).directory
                                       : entry.absoluteDirectory;
    return directory.size() + name.size() > kMaxPathLength;
}

void compose_new_name(FileEntry& entry, const NamingSettings& settings, const RuleStep& rule_step) {
    const std::string directory = split_path(entry.sourcePath).directory;
    entry.tooLong = false;
    entry.nativeNewPath.clear();
    entry.nameless = false;
    entry.scheduleUnreachable = false;
    entry.ruleWarnings.clear();
    entry.decision = NamingDecision{};

    if (settings.notRename) {
        entry.decision.namedBy = NamedBy::currentName;
        entry.newName = entry.currentName;
        entry.newPath = entry.sourcePath;
        entry.nativeNewPath = entry.nativePath;
        entry.tooLong = path_too_long(entry, entry.newName);
        return;
    }

    std::string name;
    bool spelt = true;
    if (ProgramInfo* info = selected_candidate(entry); info != nullptr && info->startTime != 0) {
        bool by_rule = false;
        if (settings.ombrixRename && rule_step) {
            std::string result;
            if (rule_step(entry, *info, result)) {
                cut_cp932(result, kRuleResultLimit);
                // A rule that gives only blanks gives no name.
                if (has_visible_text(result)) name = std::move(result);
                by_rule = true;
            }
            // The rule engine may have changed the entry; take the candidate again.
            info = selected_candidate(entry);
        }
        if (!by_rule) {
            entry.decision = NamingDecision{};
            entry.decision.rulesTried = settings.ombrixRename && static_cast<bool>(rule_step);
        }
        if (!by_rule && info != nullptr) {
            name = compose_items(*info, settings);
            entry.nameless = name.empty();
        }
    }
    if (!name.empty()) {
        auto extension = recording_extension(entry);
        if (!extension) {
            spelt = false;
            extension = std::string(extension_of(entry.currentName));
        }
        std::string tail = replace_forbidden_characters(*extension);
        cut_cp932(tail, kComposedNameMax);
        std::string body = replace_forbidden_characters(name);
        if (body.starts_with('.')) body.replace(0, 1, fullwidth_dot());
        cut_cp932(body, kComposedNameMax - tail.size());
        name = body + tail;
    }

    entry.newName = name;
    entry.newPath = directory + name;
    entry.tooLong = path_too_long(entry, name);
    if (name.empty() || !spelt) return;
    const auto utf8 = native_name(name);
    if (!utf8) return;
    entry.nativeNewPath = split_path(entry.nativePath).directory + *utf8;
    // One name on Linux holds at most 255 bytes of UTF-8, whatever the path.
    if (!name_fits_filesystem(*utf8)) entry.tooLong = true;
}

}  // namespace

const ProgramInfo* selected_candidate(const FileEntry& entry) {
    if (entry.selected < 0 || static_cast<std::size_t>(entry.selected) >= entry.candidates.size())
        return nullptr;
    return &entry.candidates[static_cast<std::size_t>(entry.selected)];
}

ProgramInfo* selected_candidate(FileEntry& entry) {
    return const_cast<ProgramInfo*>(selected_candidate(std::as_const(entry)));
}

RowTexts row_texts(const FileEntry& entry) {
    RowTexts row;
    row.columns[kColumnCurrentName] = entry.currentName;
    row.columns[kColumnNewName] = entry.newName;
    if (const ProgramInfo* info = selected_candidate(entry)) {
        row.columns[kColumnEventName] = info->eventName;
        row.columns[kColumnChannel] = info->channelName;
        row.columns[kColumnDate] = info->dateMD + " " + info->timeHM;
        row.columns[kColumnEventText] = info->eventText;
        row.columns[kColumnAvText] = info->avText;
        row.columns[kColumnGenre] = info->genre;
        row.columns[kColumnTitle] = info->title + "," + info->queryTitle;
    }
    row.selected = entry.converted;
    row.tooLong = entry.tooLong;
    return row;
}

RowTexts compose_entry(FileEntry& entry, const NamingSettings& settings,
                       const RuleStep& rule_step) {
    compose_new_name(entry, settings, rule_step);
    return row_texts(entry);
}

}  // namespace kalvento
