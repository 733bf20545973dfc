#include "app/dropped_paths.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace kalvento {
namespace {

bool ends_with_ignoring_case(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size()) return false;
    return std::equal(suffix.begin(), suffix.end(), text.end() - static_cast<long>(suffix.size()),
                      [](char a, char b) {
                          const auto lower = [](char c) {
                              return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
                          };
                          return lower(a) == lower(b);
                      });
}

std::vector<std::string> recordings_in(const std::string& folder) {
    std::vector<std::string> found;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        std::error_code type_error;
        if (!it->is_regular_file(type_error)) continue;
        const std::string name = it->path().filename().string();
        if (has_recording_extension(name)) found.push_back(it->path().string());
    }
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace

bool has_recording_extension(std::string_view name) {
    return std::any_of(std::begin(kRecordingExtensions), std::end(kRecordingExtensions),
                       [name](std::string_view extension) {
                           return name.size() > extension.size() &&
                                  ends_with_ignoring_case(name, extension);
                       });
}

std::vector<std::string> expand_dropped_paths(const std::vector<std::string>& dropped) {
    std::vector<std::string> paths;
    for (const std::string& path : dropped) {
        std::error_code error;
        if (std::filesystem::is_directory(path, error)) {
            for (std::string& file : recordings_in(path)) paths.push_back(std::move(file));
        } else {
            paths.push_back(path);
        }
    }
    return paths;
}

}  // namespace kalvento
