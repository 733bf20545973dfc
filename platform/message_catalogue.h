// The command line's translated messages: a reader of compiled gettext
// catalogues (.mo files) and the choice of language from the environment.
//
// glibc's gettext only translates when setlocale() succeeds, and a server
// often lacks the generated Japanese locale; so the language is read from the
// environment here and the catalogue looked up by ourselves, whatever locales
// the machine has. Output is UTF-8 in every case.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace kalvento {

// English (the messages as written) or Japanese (the one translation).
enum class MessageLanguage { english, japanese };

// The language asked for by an environment, read through `variable` (getenv
// in the program): LANGUAGE, a colon list, counts when one of its entries is
// Japanese; else the first non-empty of LC_ALL, LC_MESSAGES and LANG decides.
// "ja", "ja_JP", "ja_JP.UTF-8" mean Japanese; C, POSIX, English, other
// languages or nothing mean English.
MessageLanguage message_language(const std::function<const char*(const char*)>& variable);

// The messages of one compiled catalogue, by their English text.
struct MessageCatalogue {
    std::unordered_map<std::string, std::string> messages;
};

// Reads the bytes of a .mo file (either byte order). Every count, length and
// offset is checked against the bytes there; a file that lies about them, or
// is cut short, gives an empty catalogue, so every message stays English.
// The header entry (empty msgid) and plural forms beyond the first are left out.
MessageCatalogue parse_message_catalogue(std::string_view bytes);

// The translation of `english`, or `english` itself when there is none.
std::string_view translated(const MessageCatalogue& catalogue, std::string_view english);

}  // namespace kalvento
