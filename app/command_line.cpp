#include "app/command_line.h"

#include "platform/ascii_case.h"

#include <utility>

namespace kalvento {

std::vector<std::string> split_command_line(std::string_view text) {
    std::vector<std::string> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        if (text[i] == '"') {
            const std::size_t close = text.find('"', i + 1);
            const std::size_t end = close == std::string_view::npos ? text.size() : close;
            tokens.emplace_back(text.substr(i + 1, end - i - 1));
            i = close == std::string_view::npos ? text.size() : close + 1;
            continue;
        }
        const std::size_t blank = text.find(' ', i);
        const std::size_t end = blank == std::string_view::npos ? text.size() : blank;
        tokens.emplace_back(text.substr(i, end - i));
        i = end;
    }
    return tokens;
}

CommandLine classify_tokens(std::vector<std::string> tokens) {
    CommandLine line;
    for (std::string& token : tokens) {
        if (equals_ignoring_ascii_case(token, kAutoSwitch)) {
            line.autoConvert = true;
        } else if (equals_ignoring_ascii_case(token, kQuitSwitch)) {
            line.quitAfter = true;
        } else {
            line.files.push_back(std::move(token));
        }
    }
    return line;
}

CommandLine parse_command_line(std::string_view text) {
    return classify_tokens(split_command_line(text));
}

CommandLine parse_command_line_arguments(int argc, const char* const* argv) {
    std::vector<std::string> tokens;
    for (int i = 1; i < argc && argv != nullptr; ++i) {
        if (argv[i] != nullptr) tokens.emplace_back(argv[i]);
    }
    return classify_tokens(std::move(tokens));
}

}  // namespace kalvento
