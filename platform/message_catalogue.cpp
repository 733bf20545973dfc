#include "platform/message_catalogue.h"

#include <cstdint>
#include <optional>

namespace kalvento {
namespace {

constexpr std::uint32_t kMagic = 0x950412de;
constexpr std::size_t kHeaderBytes = 28;
// A larger count is no catalogue of ours: it would only make a lying file
// cost time before its offsets fail.
constexpr std::uint32_t kMaxMessages = 100000;

bool is_japanese(std::string_view name) {
    // "ja", "ja_JP", "ja_JP.UTF-8", "ja_JP.utf8", "ja@..." but not "jav".
    return name.substr(0, 2) == "ja" &&
           (name.size() == 2 || name[2] == '_' || name[2] == '.' || name[2] == '@');
}

class Reader {
  public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    std::optional<std::uint32_t> word(std::size_t at) const {
        if (at > bytes_.size() || bytes_.size() - at < 4) return std::nullopt;
        const auto byte = [&](std::size_t i) {
            return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes_[at + i]));
        };
        if (swapped_) return byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
        return byte(3) << 24 | byte(2) << 16 | byte(1) << 8 | byte(0);
    }

    bool read_magic() {
        const auto magic = word(0);
        if (magic && *magic == kMagic) return true;
        swapped_ = true;
        const auto swapped = word(0);
        return swapped && *swapped == kMagic;
    }

    // The string that entry `index` of the (length, offset) table at `table`
    // names: its bytes must lie in the file, followed by their NUL.
    std::optional<std::string_view> entry(std::uint32_t table, std::uint32_t index) const {
        const std::size_t at = static_cast<std::size_t>(table) + 8 * std::size_t{index};
        const auto length = word(at);
        const auto offset = word(at + 4);
        if (!length || !offset) return std::nullopt;
        if (*offset > bytes_.size() || bytes_.size() - *offset <= *length) return std::nullopt;
        if (bytes_[std::size_t{*offset} + *length] != '\0') return std::nullopt;
        return bytes_.substr(*offset, *length);
    }

  private:
    std::string_view bytes_;
    bool swapped_ = false;
};

}  // namespace

MessageLanguage message_language(const std::function<const char*(const char*)>& variable) {
    const auto value = [&](const char* name) {
        const char* text = variable(name);
        return std::string_view(text == nullptr ? "" : text);
    };
    std::string_view list = value("LANGUAGE");
    while (!list.empty()) {
        const std::size_t colon = list.find(':');
        if (is_japanese(list.substr(0, colon))) return MessageLanguage::japanese;
        list = colon == list.npos ? std::string_view() : list.substr(colon + 1);
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const std::string_view locale = value(name);
        if (!locale.empty())
            return is_japanese(locale) ? MessageLanguage::japanese : MessageLanguage::english;
    }
    return MessageLanguage::english;
}

MessageCatalogue parse_message_catalogue(std::string_view bytes) {
    Reader reader(bytes);
    if (bytes.size() < kHeaderBytes || !reader.read_magic()) return {};
    const auto revision = reader.word(4);
    const auto count = reader.word(8);
    const auto originals = reader.word(12);
    const auto translations = reader.word(16);
    // Only the major revision 0 has this layout.
    if (!revision || (*revision >> 16) != 0 || !count || !originals || !translations) return {};
    if (*count > kMaxMessages) return {};
    MessageCatalogue catalogue;
    for (std::uint32_t i = 0; i < *count; ++i) {
        const auto english = reader.entry(*originals, i);
        const auto translation = reader.entry(*translations, i);
        if (!english || !translation) return {};
        // The header, and the plural forms behind the first NUL.
        const std::string_view singular = english->substr(0, english->find('\0'));
        if (singular.empty()) continue;
        catalogue.messages.emplace(std::string(singular),
                                   std::string(translation->substr(0, translation->find('\0'))));
    }
    return catalogue;
}

std::string_view translated(const MessageCatalogue& catalogue, std::string_view english) {
    const auto found = catalogue.messages.find(std::string(english));
    if (found == catalogue.messages.end() || found->second.empty()) return english;
    return found->second;
}

}  // namespace kalvento
