// A Windows private-profile (.ini) file, read and written the way the Windows
// profile functions do, so that settings brought over from a Windows
// installation keep working and stay readable there.
//
// The file is held in memory as its lines of CP932 bytes. Reads and writes work
// on that copy; `save` writes it back in one go. Every line the program does not
// change (comments, blank lines, foreign keys, odd lines) is written back byte
// for byte; only the line ends become CR LF.
//
// Reading rules, as Windows applies them:
// - "[name]" starts a section: the first non-blank character is '[', the name
//   runs to the last ']' of the line and is trimmed of blanks.
// - Every other non-blank line in a section is a key line: the key is what
//   stands before the first '=', trimmed; the value is what follows it, trimmed.
//   A line without '=' is a key without a value: reading it gives the default.
// - Section and key names are compared without regard to ASCII case (the two
//   bytes of a double-byte character are compared exactly). The first matching
//   section and, inside it, the first matching key win.
// - Lines before the first section belong to no section and are never found.
// - One pair of surrounding double or single quotes is removed from a value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kalvento {

// A value is read into a buffer of 1024 bytes, so at most 1023 bytes survive.
inline constexpr std::size_t kProfileValueMax = 1023;

// A settings file larger than this is not read (it is surely not ours).
inline constexpr std::uintmax_t kProfileFileMaxBytes = 16u * 1024u * 1024u;

// The integer of a profile value: leading blanks, an optional sign and decimal
// digits up to the first other character, computed modulo 2^32 like the Windows
// reader ("42A1" is 42, "B4" and "" are 0, "4294967297" is 1, "-1" is -1).
std::int32_t parse_profile_integer(std::string_view text);

enum class ProfileError {
    none,
    unreadable,          // the file exists but could not be read; it is never overwritten
    cannot_create_temp,  // the directory does not take a new file
    cannot_write,        // writing or flushing the temporary file failed
    cannot_replace,      // the temporary file could not be renamed over the old one
    too_large,           // the file would be larger than `load` reads; the old one stays
};

struct ProfileResult {
    ProfileError error = ProfileError::none;
    std::string message;  // native text for the user or a log; empty on success
    bool ok() const { return error == ProfileError::none; }
};

class ProfileFile {
  public:
    // An empty profile that saves to `path`.
    explicit ProfileFile(std::string path = {});

    // Reads the file at `path` (native path). A missing file is an empty
    // profile; a file that exists but cannot be read is an empty profile whose
    // load_result() reports it and which refuses to save over the file.
    static ProfileFile load(const std::string& path);

    // A profile made of the file bytes `bytes` that saves to `path`.
    static ProfileFile from_bytes(std::string path, std::string_view bytes);

    const std::string& path() const { return path_; }
    const ProfileResult& load_result() const { return loadResult_; }

    // The value of a key: trimmed, one pair of surrounding quotes removed, cut to
    // at most `max_bytes` at a character boundary; nullopt when the section or
    // key is missing or the key line has no '='.
    std::optional<std::string> find_value(std::string_view section, std::string_view key,
                                          std::size_t max_bytes = kProfileValueMax) const;

    // The value of a key or `fallback`. The fallback comes back as given (cut to
    // `max_bytes`); Windows would also drop its trailing blanks, which would turn
    // a one-blank default into an empty text.
    std::string read_string(std::string_view section, std::string_view key,
                            std::string_view fallback,
                            std::size_t max_bytes = kProfileValueMax) const;

    // The integer of a key (parse_profile_integer), or `fallback` when the key is
    // missing or its value is empty.
    std::int32_t read_int(std::string_view section, std::string_view key,
                          std::int32_t fallback) const;

    // Sets a key. An existing key keeps its line and its spelling up to the value;
    // a missing key is added after the last line of its section, a missing section
    // at the end of the file. The value is written as given, except that it ends
    // at a NUL byte and line breaks become blanks (a line break would let a value
    // write lines of its own). Returns false for an empty section or key name, a
    // key holding '=' or beginning with '[' or ';', a name holding a line break
    // or NUL, or a section name ending inside a double-byte character.
    bool write_string(std::string_view section, std::string_view key, std::string_view value);

    // Removes every line of the key in its (first) section, so that reading it
    // gives the default afterwards. Returns whether a line was removed.
    bool delete_key(std::string_view section, std::string_view key);

    // Whether anything changed since loading or the last successful save.
    bool modified() const { return modified_; }

    // Writes the profile when it was modified: to a new file in the same
    // directory, flushed to disk, then renamed over the old file, so a crash
    // leaves either the old or the new file. On failure the old file is left as
    // it was and no temporary file stays behind. A profile larger than `load`
    // reads is not written, since it could never be read back.
    ProfileResult save();

    // The bytes `save` would write.
    std::string serialized() const;

  private:
    enum class LineKind : std::uint8_t { other, section, key };

    struct Line {
        std::string text;  // bytes as read, without the line end
        LineKind kind = LineKind::other;
        std::string name;                          // section or key name, trimmed
        std::size_t valuePos = std::string::npos;  // key lines: just after '=' (npos: none)
    };

    // A section header and the lines up to the next one; block 0 holds the
    // lines before the first header and has none. Keeping sections apart makes
    // adding a key or a section cost the same however large the file is.
    struct Block {
        std::vector<Line> lines;  // the header first (except in block 0)
        // Case-folded key -> its first line, built when first needed and
        // dropped whenever the block's lines change.
        mutable std::unordered_map<std::string, std::size_t> keys;
        mutable bool keysBuilt = false;
    };

    static Line parse_line(std::string text, bool first_line);
    void append_line(Line line);
    // The block of the first header with this name, or nullptr.
    Block* find_block(std::string_view section);
    const Block* find_block(std::string_view section) const;
    // Index in block.lines of the first line of `key`, or npos.
    static std::size_t find_key(const Block& block, std::string_view key);
    const Line* find_key_line(std::string_view section, std::string_view key) const;

    std::string path_;
    std::vector<Block> blocks_{1};
    // Case-folded section name -> block of its first header.
    std::unordered_map<std::string, std::size_t> sectionIndex_;
    ProfileResult loadResult_;
    bool modified_ = false;
};

}  // namespace kalvento
