#include "platform/message_catalogue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kalvento {
namespace {

using Messages = std::vector<std::pair<std::string, std::string>>;

// A compiled catalogue as msgfmt writes it: header, the table of originals,
// the table of translations, then the strings with their NULs.
std::string mo_bytes(const Messages& messages, bool big_endian = false) {
    std::string bytes;
    const auto word = [&](std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            const int shift = big_endian ? 24 - 8 * i : 8 * i;
            bytes += static_cast<char>((value >> shift) & 0xFF);
        }
    };
    const auto count = static_cast<std::uint32_t>(messages.size());
    const std::uint32_t originals = 28;
    const std::uint32_t translations = originals + 8 * count;
    std::uint32_t at = translations + 8 * count;
    word(0x950412de);
    word(0);
    word(count);
    word(originals);
    word(translations);
    word(0);  // no hash table
    word(0);
    std::string strings;
    std::vector<std::uint32_t> table;
    for (const bool translated : {false, true}) {
        for (const auto& [english, japanese] : messages) {
            const std::string& text = translated ? japanese : english;
            table.push_back(static_cast<std::uint32_t>(text.size()));
            table.push_back(at);
            strings += text + '\0';
            at += static_cast<std::uint32_t>(text.size() + 1);
        }
    }
    for (const std::uint32_t value : table) word(value);
    return bytes + strings;
}

void put_word(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

const Messages kMessages = {
    {"", "Content-Type: text/plain; charset=UTF-8\n"},
    {"renamed", "改名しました"},
    {std::string("file\0files", 10), std::string("ファイル", 12)},
    {"untranslated", ""},
};

TEST(MessageCatalogue, ReadsEitherByteOrderAndFallsBackToEnglish) {
    for (const bool big_endian : {false, true}) {
        const MessageCatalogue catalogue = parse_message_catalogue(mo_bytes(kMessages, big_endian));
        EXPECT_EQ(catalogue.messages.size(), 3u) << big_endian;  // no header
        EXPECT_EQ(translated(catalogue, "renamed"), "改名しました");
        EXPECT_EQ(translated(catalogue, "file"), "ファイル");  // found by its singular
        EXPECT_EQ(translated(catalogue, "untranslated"), "untranslated");
        EXPECT_EQ(translated(catalogue, "not in it"), "not in it");
        EXPECT_EQ(translated(catalogue, ""), "");
    }
}

TEST(MessageCatalogue, TruncatedOrLyingFilesGiveNoMessages) {
    const std::string good = mo_bytes(kMessages);
    ASSERT_FALSE(parse_message_catalogue(good).messages.empty());
    // Every cut: the last string loses its bytes or its NUL at least.
    for (std::size_t size = 0; size < good.size(); ++size)
        EXPECT_TRUE(parse_message_catalogue(good.substr(0, size)).messages.empty()) << size;

    const std::uint32_t translations = 28 + 8 * 4;
    const std::vector<std::pair<std::size_t, std::uint32_t>> lies = {
        {0, 0x12345678},                                    // no catalogue at all
        {4, 0x00010000},                                    // a major revision we do not know
        {8, 0xFFFFFFFF},                                    // more messages than there are
        {8, 5},                                             // one more than the tables hold
        {12, 0xFFFFFFF8},                                   // the originals' table beyond the end
        {16, static_cast<std::uint32_t>(good.size() - 4)},  // the translations' table too
        {translations + 8, 0xFFFFFFFF},                     // a length beyond the end
        {translations + 12, 0xFFFFFFFE},                    // an offset beyond the end
        {translations + 8, 1},                              // a string not ended by its NUL
        {translations + 12, static_cast<std::uint32_t>(good.size())},  // starting at the end
    };
    for (const auto& [at, value] : lies) {
        std::string lying = good;
        put_word(lying, at, value);
        EXPECT_TRUE(parse_message_catalogue(lying).messages.empty()) << at << " " << value;
    }
}

TEST(MessageCatalogue, LanguageComesFromTheEnvironmentLikeGettext) {
    const auto language = [](std::map<std::string, std::string> environment) {
        return message_language([&environment](const char* name) -> const char* {
            const auto found = environment.find(name);
            return found == environment.end() ? nullptr : found->second.c_str();
        });
    };
    const auto ja = MessageLanguage::japanese;
    const auto en = MessageLanguage::english;
    EXPECT_EQ(language({}), en);
    EXPECT_EQ(language({{"LANG", "ja_JP.UTF-8"}}), ja);
    EXPECT_EQ(language({{"LANG", "ja_JP.utf8"}}), ja);
    EXPECT_EQ(language({{"LANG", "ja"}}), ja);
    EXPECT_EQ(language({{"LANG", "ja_JP"}}), ja);
    EXPECT_EQ(language({{"LANG", "jv_ID.UTF-8"}}), en);
    EXPECT_EQ(language({{"LANG", "C.UTF-8"}}), en);
    EXPECT_EQ(language({{"LANG", "en_US.UTF-8"}}), en);
    // The first non-empty of LC_ALL, LC_MESSAGES and LANG decides.
    EXPECT_EQ(language({{"LC_ALL", "C"}, {"LANG", "ja_JP.UTF-8"}}), en);
    EXPECT_EQ(language({{"LC_ALL", ""}, {"LANG", "ja_JP.UTF-8"}}), ja);
    EXPECT_EQ(language({{"LC_MESSAGES", "ja_JP.UTF-8"}, {"LANG", "C"}}), ja);
    EXPECT_EQ(language({{"LC_ALL", "POSIX"}, {"LC_MESSAGES", "ja_JP.UTF-8"}}), en);
    // LANGUAGE, a list, counts wherever Japanese stands in it.
    EXPECT_EQ(language({{"LANGUAGE", "ja"}, {"LANG", "C"}}), ja);
    EXPECT_EQ(language({{"LANGUAGE", "fr:ja_JP"}, {"LC_ALL", "C"}}), ja);
    EXPECT_EQ(language({{"LANGUAGE", "en:fr"}, {"LANG", "ja_JP.UTF-8"}}), ja);
    EXPECT_EQ(language({{"LANGUAGE", "jazz:"}, {"LANG", "C"}}), en);
}

}  // namespace
}  // namespace kalvento
