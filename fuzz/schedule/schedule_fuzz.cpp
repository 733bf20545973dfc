// Feeds arbitrary bytes to what reads the schedule service's replies: the
// header stripping and UTF-8 conversion of a whole reply followed by the
// scraping, the scraping of a page given directly in code page 932, and the
// reading of a link text. The first byte picks the target.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "rules/search_text.h"
#include "schedule/reply_text.h"
#include "schedule/result_fields.h"
#include "schedule/result_page.h"

namespace {

void read_rows(std::string_view page) {
    using namespace kalvento;
    const std::vector<ResultRow> rows = scrape_result_page(page);
    const auto chosen = choose_row(rows, false, 1262709000);
    if (!chosen) return;
    const std::string& link = rows[*chosen].linkText;
    const std::string title = title_before_number(link);
    const std::string numbers = episode_numbers(link);
    (void)subtitle_after_numbers(link);
    (void)episode_subtitles(title, episode_range(numbers), rows);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kalvento;
    if (size == 0) return 0;
    const std::uint8_t mode = data[0] % 4;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    switch (mode) {
        case 0: {
            const auto page = utf8_to_ansi(strip_headers(bytes));
            if (page) read_rows(*page);
            break;
        }
        case 1:
            read_rows(strip_headers(bytes));
            break;
        case 2: {
            const std::string link(bytes);
            (void)episode_subtitles(title_before_number(link), episode_range(episode_numbers(link)),
                                    {});
            (void)subtitle_after_numbers(link);
            break;
        }
        case 3: {
            ProgramInfo info;
            info.eventName = std::string(bytes.substr(0, bytes.size() / 2));
            info.eventText = "sub";
            RenameRule rule;
            rule.RenameText = std::string(bytes.substr(bytes.size() / 2));
            rule.SyoboFind = rule.RenameText;
            (void)build_search_texts(info, rule, "name");
            break;
        }
    }
    return 0;
}
