#include "cli/rule_exchange.h"

#include "app/rule_management.h"
#include "cli/exit_codes.h"
#include "cli/json_output.h"
#include "cli/rule_file_text.h"
#include "cli/rule_output.h"
#include "cli/translation.h"
#include "platform/file_io.h"
#include "platform/file_ops.h"
#include "platform/message_mark.h"
#include "rules/rule_row_text.h"
#include "rules/rule_text_forms.h"

#include <algorithm>
#include <iostream>

namespace kalvento::cli {
namespace {

// Lines named with the reason they gave no rule; the rest are counted.
constexpr std::size_t kReasonsShown = 5;

// How the command line names an exchange file in messages.
std::string shown_name(const std::string& path) {
    return path == "-" ? _("standard input") : path_for_text(path);
}

// The bytes of an exchange file, or of standard input for "-".
FileRead read_exchange_file(const std::string& path) {
    if (path != "-") return read_small_file(path, kExchangeFileMaxBytes);
    FileRead read;
    char buffer[65536];
    while (std::cin.read(buffer, sizeof buffer) || std::cin.gcount() > 0) {
        read.bytes.append(buffer, static_cast<std::size_t>(std::cin.gcount()));
        if (read.bytes.size() > kExchangeFileMaxBytes) {
            read.status = ReadStatus::tooLarge;
            read.error = "more than " + std::to_string(kExchangeFileMaxBytes) + " bytes";
            return read;
        }
    }
    read.status = ReadStatus::ok;
    return read;
}

// Lines of an exchange file with what became of them: the first few, then
// how many more (`more` says what they are).
void report_lines(const std::string& path, std::vector<RefusedLine> lines,
                  const std::string& more) {
    std::sort(lines.begin(), lines.end(),
              [](const RefusedLine& a, const RefusedLine& b) { return a.line < b.line; });
    const std::string name = shown_name(path);
    for (std::size_t i = 0; i < lines.size() && i < kReasonsShown; ++i) {
        std::cerr << "kalvento-cli: " << name
                  << fill(_(": line %s: "), {std::to_string(lines[i].line)}) << lines[i].reason
                  << "\n";
    }
    if (lines.size() > kReasonsShown) {
        std::cerr << "kalvento-cli: " << name << ": "
                  << fill(more, {std::to_string(lines.size() - kReasonsShown)}) << "\n";
    }
}

// "N fields, 11 expected: find text, station, ...": the fields of the
// format in their order, so that the missing ones can be told.
std::string short_line_reason(std::size_t fields) {
    std::string reason = std::to_string(fields) + (fields == 1 ? " field, " : " fields, ") +
                         std::to_string(kExchangeLeadingFields) + " expected:";
    for (std::size_t i = 0; i < kExchangeFieldNames.size(); ++i)
        reason += (i == 0 ? " " : ", ") + std::string(kExchangeFieldNames[i]);
    return reason;
}

// How the import says which encoding it read; nothing for CP932, the native one.
const char* read_as_text(RuleFileEncoding encoding) {
    switch (encoding) {
        case RuleFileEncoding::utf8:
            return N_(" (read as UTF-8)");
        case RuleFileEncoding::utf16le:
        case RuleFileEncoding::utf16be:
            return N_(" (read as UTF-16)");
        default:
            return "";
    }
}

}  // namespace

// Adds the rules of an exchange file to the settings file, under its lock,
// to the rules as they are when the lock is held.
int import_file(const std::string& settings_path, const std::string& path,
                RuleFileEncoding encoding, const LockWait& wait) {
    const FileRead file = read_exchange_file(path);
    if (!file.ok()) {
        std::cerr << "kalvento-cli: "
                  << fill(_("cannot read the rule file %s: %s"), {shown_name(path), file.error})
                  << "\n";
        return kExitSomeFailed;
    }
    const DecodedRuleFile decoded = decode_rule_file(file.bytes, encoding);
    const RuleChange change = import_rule_file(settings_path, decoded.cp932, wait);
    if (!change.update) return refused_change(change, _("rules not imported"));
    const ImportResult& result = change.imported;
    std::vector<RefusedLine> problems = decoded.refused;
    for (const SkippedLine& skipped : result.skipped)
        problems.push_back({skipped.line, short_line_reason(skipped.fields)});
    report_lines(path, problems, _("%s more lines skipped"));
    std::vector<RefusedLine> repeats;
    for (const DuplicateLine& repeat : result.duplicates) {
        repeats.push_back({repeat.line, fill(_("the same as rule %s; not added again"),
                                             {std::to_string(repeat.rule + 1)})});
    }
    report_lines(path, repeats, _("%s more lines repeat rules already there"));
    warn_about_change(change.rules, change.changed, change.shadowed);
    std::cerr << fill(result.added == 1 ? _("%s rule added") : _("%s rules added"),
                      {std::to_string(result.added)});
    if (!result.duplicates.empty())
        std::cerr << fill(_(", %s already there"), {std::to_string(result.duplicates.size())});
    const char* read_as = read_as_text(decoded.encoding);
    std::cerr << (*read_as == '\0' ? "" : _(read_as)) << "\n";
    return result.added == 0 && !problems.empty() ? kExitSomeFailed : kExitDone;
}

// Writes the exchange file through a temporary file, never onto the settings
// file itself, or to standard output for "-".
int export_file(const RuleList& rules, const std::string& settings_path, const std::string& path,
                RuleFileEncoding encoding) {
    if (path != "-" && same_file(path, settings_path)) {
        std::cerr << "kalvento-cli: "
                  << fill(_("not exported: %s is the settings file; choose another file"), {path})
                  << "\n";
        return kExitSomeFailed;
    }
    std::string bytes;
    for (const RenameRule& rule : rules) {
        const auto line = encode_rule_file(format_export_line(rule), encoding);
        if (!line) {
            std::cerr << "kalvento-cli: "
                      << fill(_("not exported: the rule \"%s\" holds bytes that are not CP932 "
                                "text, so it has no UTF-8 form (export with --encoding cp932)"),
                              {utf8_for_output(rule_search_text(rule))})
                      << "\n";
            return kExitSomeFailed;
        }
        bytes += *line;
    }
    if (path == "-") {
        std::cout << bytes;
        std::cout.flush();
    } else {
        const FileWrite written = replace_file(path, bytes);
        if (!written.ok()) {
            std::cerr << "kalvento-cli: " << _("cannot write the rule file: ") << written.error
                      << "\n";
            return kExitSomeFailed;
        }
    }
    std::cerr << fill(rules.size() == 1 ? _("%s rule exported") : _("%s rules exported"),
                      {std::to_string(rules.size())})
              << "\n";
    return kExitDone;
}

}  // namespace kalvento::cli
