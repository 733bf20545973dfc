#include "cli/translation.h"

#include "platform/file_io.h"
#include "platform/message_catalogue.h"
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
    std::string out;
    std::size_t next = 0;
    const auto value = [&values](std::size_t index) {
        return index < values.size() ? values.begin()[index] : std::string_view();
    };
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t mark = text.find('%', at);
        out.append(text.substr(at, mark - at));
        if (mark == text.npos) break;
        const std::string_view rest = text.substr(mark + 1);
        if (rest.starts_with('s')) {
            out.append(value(next++));
            at = mark + 2;
        } else if (rest.size() >= 3 && rest[0] >= '1' && rest[0] <= '9' &&
                   rest.substr(1, 2) == "$s") {
            // "%2$s": a translation that puts the values in another order.
            out.append(value(static_cast<std::size_t>(rest[0] - '1')));
            at = mark + 4;
        } else {
            out += '%';
            at = mark + 1;
        }
    }
    return out;
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

Said say(const char* english) {
    return Said(english, _(english));
}

Said say(const char* english, std::initializer_list<std::string_view> values) {
    return Said(fill(english, values), fill(_(english), values));
}

}  // namespace kalvento::cli
