#include "cli/recording_options.h"

#include "cli/translation.h"

namespace kalvento::cli {

void add_recording_arguments(CLI::App& command, std::vector<std::string>& files, bool& recursive) {
    command.add_flag("-r,--recursive", recursive,
                     _("In folders, take the recordings of their subfolders too"));
    command.add_option("FILE", files, _("Recordings (.ts, .m2ts, .mts), or folders of recordings"))
        ->required();
}

}  // namespace kalvento::cli
