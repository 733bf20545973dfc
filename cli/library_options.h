// --link-to, --copy-to, --move-to and --folder of kalvento-cli rename: a
// second, well-named library folder beside the recording manager's own, which
// keeps its paths. Without them the settings (LibraryAction, LibraryFolder,
// LibraryTemplate) decide; one of them overrides the settings whole.
#pragma once

#include "app/app_settings.h"
#include "app/conversion.h"

#include <CLI/CLI.hpp>

#include <optional>
#include <string>

namespace kalvento::cli {

struct LibraryOptions {
    std::optional<std::string> linkTo;  // native folder paths
    std::optional<std::string> copyTo;
    std::optional<std::string> moveTo;
    std::optional<std::string> folderTemplate;  // UTF-8 @-macro template of sub-folders
};

// Registers the four options (the three actions exclude each other).
void add_library_options(CLI::App& command, LibraryOptions& options);

// Puts the action, its folder and template into `request`: from the options
// when one is given, else from the settings. False with `error` (a usage
// error) when they cannot be used.
bool apply_library_options(const LibraryOptions& options, const AppSettings& settings,
                           ConversionRequest& request, std::string& error);

}  // namespace kalvento::cli
