#include "cli/run_trace.h"

#include "cli/json_output.h"
#include "cli/translation.h"

#include <iostream>

namespace kalvento::cli {

void add_trace_options(CLI::App& command, std::string& log_file, bool& system_log) {
    command
        .add_option("--log", log_file,
                    _("Append one line per file to FILE, whose lock FILE.lock lies beside it:\n"
                      "Japan time (ISO 8601, +09:00), status word, old path, new path (empty\n"
                      "when the file was left), reason (empty when none), tab-separated, UTF-8;\n"
                      "a tab, newline or backslash in a field is written \\t, \\n, \\\\"))
        ->type_name("FILE");
    command.add_flag("--syslog", system_log,
                     _("Send the same line to the system log (identity kalvento-cli, facility\n"
                       "user; info, warning for a file left, err for a failure)"));
}

void write_trace(RunLog& log, const std::vector<RunLogEntry>& entries,
                 const std::string& log_file) {
    for (const RunLogEntry& entry : entries) {
        if (Status written = log.record(entry); !written) {
            std::cerr << "kalvento-cli: "
                      << fill(_("cannot write the log %s: %s"),
                              {path_for_text(log_file), shown(written.error().message)})
                      << "\n";
            return;
        }
    }
}

}  // namespace kalvento::cli
