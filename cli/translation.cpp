#include "cli/translation.h"

#include "cli/message_matcher.h"
#include "platform/file_io.h"
#include "platform/message_catalogue.h"
#include "platform/message_mark.h"
#include "platform/process_places.h"

#include <cstdlib>

namespace kalvento::cli {
namespace {

// Far more than the catalogue will ever be; a larger file is not ours.
constexpr std::size_t kMaxCatalogueBytes = 4 * 1024 * 1024;
constexpr const char* kCatalogueTail = "ja/LC_MESSAGES/kalvento-cli.mo";

MessageCatalogue& catalogue() {
    static MessageCatalogue loaded;
    return loaded;
}

}  // namespace

void load_translation(const char* argv0) {
    if (message_language(std::getenv) != MessageLanguage::japanese) return;
    const std::string directory = executable_directory(argv0);
    for (const std::string& place : {directory + "/locale/", directory + "/../share/locale/"}) {
        const FileRead read = read_small_file(place + kCatalogueTail, kMaxCatalogueBytes);
        if (!read.ok()) continue;
        catalogue() = parse_message_catalogue(read.bytes);
        if (!catalogue().messages.empty()) return;
    }
}

std::string _(const char* english) {
    return std::string(translated(catalogue(), english));
}

std::string fill(std::string_view text, std::initializer_list<std::string_view> values) {
    return fill_message(text, values);
}

std::string shown(const std::string& english) {
    if (catalogue().messages.empty()) return english;
    // Built once, at the first message from below, and only in Japanese.
    static const MessageMatcher matcher(catalogue());
    return matcher.shown(english);
}

Said& Said::operator+=(const Said& more) {
    english += more.english;
    shown += more.shown;
    return *this;
}

Said operator+(Said text, const Said& more) {
    text += more;
    return text;
}

Said said_from_below(const std::string& english) {
    return Said(english, shown(english));
}

Said say(const char* english) {
    return Said(english, _(english));
}

Said say(const char* english, std::initializer_list<std::string_view> values) {
    return Said(fill(english, values), fill(_(english), values));
}

}  // namespace kalvento::cli
