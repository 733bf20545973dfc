#include "cli/library_options.h"

#include "cli/text_arguments.h"
#include "cli/translation.h"

namespace kalvento::cli {

void add_library_options(CLI::App& command, LibraryOptions& options) {
    CLI::Option* link =
        command
            .add_option(
                "--link-to", options.linkTo,
                _("Leave each recording where it is and hard-link it, with its companions,\n"
                  "into DIR under its new name (same file system only). A link shares the\n"
                  "original's times, so FileDate does not date it"))
            ->type_name("DIR");
    CLI::Option* copy =
        command
            .add_option(
                "--copy-to", options.copyTo,
                _("Leave each recording where it is and copy it, with its companions, into\n"
                  "DIR under its new name (a clone where the file system can)"))
            ->type_name("DIR");
    CLI::Option* move =
        command
            .add_option("--move-to", options.moveTo,
                        _("Move each recording, with its companions, into DIR under "
                          "its new name\n(same file system only)"))
            ->type_name("DIR");
    link->excludes(copy)->excludes(move);
    copy->excludes(move);
    command
        .add_option(
            "--folder", options.folderTemplate,
            _("With --link-to, --copy-to or --move-to: sub-folders below DIR from this\n"
              "template of the rename rules' @-macros, \"/\" between them (--folder @TT: one\n"
              "folder per series); made as needed"))
        ->type_name("TEMPLATE");
}

bool apply_library_options(const LibraryOptions& options, const AppSettings& settings,
                           ConversionRequest& request, std::string& error) {
    const std::optional<std::string>* given = nullptr;
    if (options.linkTo) {
        request.action = ConversionAction::linkInto;
        given = &options.linkTo;
    } else if (options.copyTo) {
        request.action = ConversionAction::copyInto;
        given = &options.copyTo;
    } else if (options.moveTo) {
        request.action = ConversionAction::moveInto;
        given = &options.moveTo;
    }
    if (given == nullptr) {
        if (options.folderTemplate) {
            error = _("--folder needs --link-to, --copy-to or --move-to");
            return false;
        }
        if (Status chosen = use_library_settings(settings, request); !chosen) {
            error =
                shown(chosen.error().message) + _(" (kalvento-cli config set LibraryFolder DIR)");
            return false;
        }
        return true;
    }
    if ((*given)->empty()) {
        error = fill(_("--%s-to: give a folder"), {action_word(request.action)});
        return false;
    }
    request.libraryFolder = **given;
    request.folderTemplate.clear();
    if (options.folderTemplate) {
        if (options.folderTemplate->empty()) {
            error = _("--folder: an empty template gives no folder (leave --folder out)");
            return false;
        }
        auto cp932 = cp932_argument(*options.folderTemplate, "--folder", error);
        if (!cp932) return false;
        request.folderTemplate = std::move(*cp932);
    }
    return true;
}

}  // namespace kalvento::cli
