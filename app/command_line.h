// The command line a recording program passes after each recording: paths of
// recordings and the switches "-AUTO" (convert without waiting for the user)
// and "-QUIT" (close afterwards), in any case and any order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kalvento {

inline constexpr std::string_view kAutoSwitch = "-AUTO";
inline constexpr std::string_view kQuitSwitch = "-QUIT";

struct CommandLine {
    std::vector<std::string> files;  // every token that is not a switch, in order
    bool autoConvert = false;        // "-AUTO" given
    bool quitAfter = false;          // "-QUIT" given
};

// Splits one command-line text into tokens. Blanks separate tokens and runs of
// them yield none; a token that begins with a double quote runs to the next
// double quote and loses both quotes (an unclosed quote runs to the end); any
// other token runs to the next blank, a double quote inside it included. Tabs
// are ordinary characters.
std::vector<std::string> split_command_line(std::string_view text);

// Sorts tokens into switches and file paths.
CommandLine classify_tokens(std::vector<std::string> tokens);

// One command-line text, split as above.
CommandLine parse_command_line(std::string_view text);

// Arguments already split by the shell (without the program name): each
// argument is one token.
CommandLine parse_command_line_arguments(int argc, const char* const* argv);

}  // namespace kalvento
