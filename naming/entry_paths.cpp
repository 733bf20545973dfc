#include "naming/entry_paths.h"

#include "platform/codepage.h"
#include "platform/file_ops.h"

#include <utility>

namespace kalvento {

SplitPath split_path(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return {std::string(), std::string(path)};
    return {std::string(path.substr(0, slash + 1)), std::string(path.substr(slash + 1))};
}

std::string_view extension_of(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view{} : name.substr(dot);
}

std::string cp932_for_display(std::string_view native_path) {
    if (auto exact = utf8_to_cp932(native_path, Unmappable::space)) return std::move(*exact);
    // Not UTF-8 at all: keep the ASCII bytes, which are the same in both codes.
    std::string shown;
    shown.reserve(native_path.size());
    for (const char byte : native_path)
        shown.push_back(static_cast<unsigned char>(byte) < 0x80 ? byte : '?');
    return shown;
}

bool has_exact_cp932_form(std::string_view native_path) {
    return utf8_to_cp932(native_path, Unmappable::fail).has_value();
}

FileEntry make_file_entry(const std::string& native_path, std::vector<ProgramInfo> candidates) {
    FileEntry entry;
    entry.nativePath = native_path;
    entry.sourcePath = cp932_for_display(native_path);
    entry.currentName = split_path(entry.sourcePath).name;
    entry.absoluteDirectory =
        split_path(cp932_for_display(absolute_normal_path(native_path))).directory;
    entry.candidates = std::move(candidates);
    entry.selected = 0;
    return entry;
}

}  // namespace kalvento
