#include "platform/profile_file.h"

#include <system_error>
#include <utility>

#include "platform/ascii_case.h"
#include "platform/codepage.h"
#include "platform/file_io.h"
#include "platform/message_mark.h"

namespace kalvento {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// The blanks of the profile reader: the C white space plus ^Z, the DOS end of
// file that old editors leave behind.
bool is_profile_blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == '\x1A';
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && is_profile_blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_profile_blank(text.back())) text.remove_suffix(1);
    return text;
}

bool is_blank_line(std::string_view text) {
    return trim(text).empty();
}

// Case-insensitive for ASCII letters; a double-byte character is compared
// exactly, so a trail byte that happens to be a letter is never folded.
bool names_equal(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (is_cp932_lead_byte(a[i]) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
    }
    return true;
}

// The form under which names_equal names are equal: ASCII letters folded,
// double-byte characters kept.
std::string fold_name(std::string_view name) {
    std::string folded(name);
    for (std::size_t i = 0; i < folded.size(); ++i) {
        if (is_cp932_lead_byte(folded[i]) && i + 1 < folded.size()) {
            ++i;
        } else {
            folded[i] = ascii_lower(folded[i]);
        }
    }
    return folded;
}

// Position of the last ']' that stands at a character boundary (0x5D is also a
// trail byte of many double-byte characters).
std::size_t last_closing_bracket(std::string_view text) {
    std::size_t found = std::string_view::npos;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (is_cp932_lead_byte(text[i]) && i + 1 < text.size()) {
            ++i;
        } else if (text[i] == ']') {
            found = i;
        }
    }
    return found;
}

// The longest prefix of at most `max_bytes` that does not split a character.
std::string_view cut_at_character(std::string_view text, std::size_t max_bytes) {
    return text.substr(0, cp932_fitting_length(text, max_bytes));
}

std::string_view strip_quotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

bool holds_line_break_or_nul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

}  // namespace

std::int32_t parse_profile_integer(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Unsigned arithmetic wraps like the 32-bit reader of Windows.
    std::uint32_t total = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        total = total * 10u + static_cast<std::uint32_t>(text[i] - '0');
    }
    if (negative) total = 0u - total;
    return static_cast<std::int32_t>(total);
}

ProfileFile::ProfileFile(std::string path) : path_(std::move(path)) {}

ProfileFile::Line ProfileFile::parse_line(std::string text, bool first_line) {
    Line line;
    line.text = std::move(text);
    std::string_view view = line.text;
    std::size_t start = 0;
    // A UTF-8 byte order mark is no part of the first line's content; its bytes
    // stay in the file.
    if (first_line && view.starts_with(kUtf8Bom)) start = kUtf8Bom.size();
    while (start < view.size() && is_profile_blank(view[start])) ++start;
    if (start == view.size() || view[start] == ';') return line;

    if (view[start] == '[') {
        const std::size_t close = last_closing_bracket(view.substr(start));
        if (close != std::string_view::npos) {
            line.kind = LineKind::section;
            line.name = std::string(trim(view.substr(start + 1, close - 1)));
            return line;
        }
    }
    const std::size_t equals = view.find('=', start);
    const std::string_view name =
        trim(view.substr(start, equals == std::string_view::npos ? view.npos : equals - start));
    if (name.empty()) return line;
    line.kind = LineKind::key;
    line.name = std::string(name);
    line.valuePos = equals == std::string_view::npos ? std::string::npos : equals + 1;
    return line;
}

ProfileFile ProfileFile::load(const std::string& path) {
    FileRead read = read_small_file(path, kProfileFileMaxBytes);
    if (read.ok()) return from_bytes(path, read.bytes);
    ProfileFile profile(path);
    // No file is an empty profile; saving will report whether it can be made.
    if (read.status == ReadStatus::missing) return profile;
    profile.loadResult_ = {ProfileError::unreadable,
                           read.status == ReadStatus::tooLarge
                               ? fill_message(N_("settings file too large: %s"), {path})
                               : fill_message(N_("cannot read %s: %s"), {path, read.error})};
    return profile;
}

ProfileFile ProfileFile::from_bytes(std::string path, std::string_view bytes) {
    ProfileFile profile(std::move(path));
    std::size_t start = 0;
    bool first = true;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        const std::size_t next = end == std::string::npos ? bytes.size() : end + 1;
        if (end == std::string::npos) end = bytes.size();
        std::size_t text_end = end;
        if (text_end > start && bytes[text_end - 1] == '\r') --text_end;
        profile.append_line(parse_line(std::string(bytes.substr(start, text_end - start)), first));
        first = false;
        start = next;
    }
    return profile;
}

void ProfileFile::append_line(Line line) {
    if (line.kind == LineKind::section) {
        blocks_.emplace_back();
        sectionIndex_.emplace(fold_name(line.name), blocks_.size() - 1);
    }
    Block& block = blocks_.back();
    block.lines.push_back(std::move(line));
    block.keysBuilt = false;
}

ProfileFile::Block* ProfileFile::find_block(std::string_view section) {
    return const_cast<Block*>(std::as_const(*this).find_block(section));
}

const ProfileFile::Block* ProfileFile::find_block(std::string_view section) const {
    const std::string_view wanted = trim(section);
    if (wanted.empty()) return nullptr;
    const auto found = sectionIndex_.find(fold_name(wanted));
    return found == sectionIndex_.end() ? nullptr : &blocks_[found->second];
}

std::size_t ProfileFile::find_key(const Block& block, std::string_view key) {
    if (!block.keysBuilt) {
        block.keys.clear();
        for (std::size_t i = 0; i < block.lines.size(); ++i) {
            if (block.lines[i].kind == LineKind::key)
                block.keys.emplace(fold_name(block.lines[i].name), i);
        }
        block.keysBuilt = true;
    }
    const auto found = block.keys.find(fold_name(key));
    return found == block.keys.end() ? std::string::npos : found->second;
}

const ProfileFile::Line* ProfileFile::find_key_line(std::string_view section,
                                                    std::string_view key) const {
    const std::string_view wanted = trim(key);
    if (wanted.empty()) return nullptr;
    const Block* block = find_block(section);
    if (block == nullptr) return nullptr;
    const std::size_t at = find_key(*block, wanted);
    return at == std::string::npos ? nullptr : &block->lines[at];
}

std::optional<std::string> ProfileFile::find_value(std::string_view section, std::string_view key,
                                                   std::size_t max_bytes) const {
    const Line* line = find_key_line(section, key);
    if (line == nullptr || line->valuePos == std::string::npos) return std::nullopt;
    const std::string_view value =
        strip_quotes(trim(std::string_view(line->text).substr(line->valuePos)));
    return std::string(cut_at_character(value, max_bytes));
}

std::string ProfileFile::read_string(std::string_view section, std::string_view key,
                                     std::string_view fallback, std::size_t max_bytes) const {
    if (auto value = find_value(section, key, max_bytes)) return std::move(*value);
    return std::string(cut_at_character(fallback, max_bytes));
}

std::int32_t ProfileFile::read_int(std::string_view section, std::string_view key,
                                   std::int32_t fallback) const {
    const auto value = find_value(section, key);
    if (!value || value->empty()) return fallback;
    return parse_profile_integer(*value);
}

bool ProfileFile::write_string(std::string_view section, std::string_view key,
                               std::string_view value) {
    section = trim(section);
    key = trim(key);
    if (section.empty() || key.empty() || holds_line_break_or_nul(section) ||
        holds_line_break_or_nul(key) || ends_inside_character(section) ||
        key.find('=') != std::string_view::npos || key.front() == '[' || key.front() == ';') {
        return false;
    }
    std::string clean(value.substr(0, value.find('\0')));
    for (char& c : clean) {
        if (c == '\r' || c == '\n') c = ' ';
    }

    Block* block = find_block(section);
    if (block == nullptr) {
        const bool empty_file = blocks_.size() == 1 && blocks_[0].lines.empty();
        append_line(parse_line("[" + std::string(section) + "]", empty_file));
        append_line(parse_line(std::string(key) + "=" + clean, false));
        modified_ = true;
        return true;
    }
    const std::size_t at = find_key(*block, key);
    if (at != std::string::npos) {
        Line& line = block->lines[at];
        std::string text;
        if (line.valuePos == std::string::npos) {
            text = std::string(trim(line.text)) + "=" + clean;
        } else {
            const std::string_view old_value =
                trim(std::string_view(line.text).substr(line.valuePos));
            if (old_value == clean) return true;
            // Keep the key as spelt and the blanks after '='.
            std::size_t keep = line.valuePos;
            while (keep < line.text.size() && is_profile_blank(line.text[keep])) ++keep;
            text = line.text.substr(0, keep) + clean;
        }
        line = parse_line(std::move(text), false);
        modified_ = true;
        return true;
    }
    // A new key goes after the last non-blank line of its section, so a blank
    // line that separates it from the next section stays where it is.
    std::size_t insert_at = 1;
    for (std::size_t i = 1; i < block->lines.size(); ++i) {
        if (!is_blank_line(block->lines[i].text)) insert_at = i + 1;
    }
    block->lines.insert(block->lines.begin() + static_cast<std::ptrdiff_t>(insert_at),
                        parse_line(std::string(key) + "=" + clean, false));
    block->keysBuilt = false;
    modified_ = true;
    return true;
}

bool ProfileFile::delete_key(std::string_view section, std::string_view key) {
    const std::string_view wanted = trim(key);
    Block* block = find_block(section);
    if (block == nullptr || wanted.empty()) return false;
    const std::size_t before = block->lines.size();
    // The header (line 0) is a section line, never a key line.
    std::erase_if(block->lines, [&](const Line& line) {
        return line.kind == LineKind::key && names_equal(line.name, wanted);
    });
    if (block->lines.size() == before) return false;
    block->keysBuilt = false;
    modified_ = true;
    return true;
}

std::string ProfileFile::serialized() const {
    std::size_t size = 0;
    for (const Block& block : blocks_)
        for (const Line& line : block.lines) size += line.text.size() + kLineEnd.size();
    std::string bytes;
    bytes.reserve(size);
    for (const Block& block : blocks_) {
        for (const Line& line : block.lines) {
            bytes += line.text;
            bytes += kLineEnd;
        }
    }
    return bytes;
}

ProfileResult ProfileFile::save() {
    if (!loadResult_.ok()) return loadResult_;
    if (!modified_) return {};
    const std::string bytes = serialized();
    if (bytes.size() > kProfileFileMaxBytes) {
        return {ProfileError::too_large,
                fill_message(N_("not saved: %s would be larger than %s bytes, which cannot be "
                                "read back"),
                             {path_, std::to_string(kProfileFileMaxBytes)})};
    }
    const FileWrite written = replace_file(path_, bytes);
    switch (written.status) {
        case WriteStatus::ok:
            modified_ = false;
            return {};
        case WriteStatus::cannotCreateTemp:
            return {ProfileError::cannot_create_temp, written.error};
        case WriteStatus::cannotWrite:
            return {ProfileError::cannot_write, written.error};
        case WriteStatus::cannotReplace:
            return {ProfileError::cannot_replace, written.error};
    }
    return {ProfileError::cannot_write, written.error};
}

}  // namespace kalvento
