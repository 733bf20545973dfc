#include "cli/watch_command.h"

#include "app/recording_folders.h"
#include "app/run_log.h"
#include "cli/decision_output.h"
#include "cli/exit_codes.h"
#include "cli/json_output.h"
#include "cli/name_template.h"
#include "cli/run_trace.h"
#include "cli/translation.h"
#include "platform/directory_listing.h"
#include "platform/file_ops.h"
#include "platform/folder_watch.h"
#include "platform/stop_signals.h"
#include "schedule/schedule_query.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <utility>

namespace kalvento::cli {
namespace {

using Clock = std::chrono::steady_clock;

// A file left for a service that could not be reached, or settings that could
// not be read, is tried again after this long.
constexpr std::chrono::minutes kRetryDelay{5};
// Without anything pending, wake up now and then all the same.
constexpr std::chrono::minutes kIdleWait{10};
// The events of a rename this watch made arrive right after it; what is
// remembered to recognise them is dropped after this long.
constexpr std::chrono::minutes kOwnMoveMemory{1};
// How long a handled file is known as such after lost events.
constexpr std::chrono::hours kHandledMemory{24 * 7};

// What a file looked like when last seen: a change starts its settle time anew.
struct Stamp {
    std::uintmax_t size = 0;
    std::filesystem::file_time_type written{};
    bool operator==(const Stamp&) const = default;
};

std::optional<Stamp> stamp_of(const std::string& path) {
    std::error_code error;
    const auto status = std::filesystem::symlink_status(path, error);
    if (error || !std::filesystem::is_regular_file(status)) return std::nullopt;
    Stamp stamp;
    stamp.size = std::filesystem::file_size(path, error);
    if (error) return std::nullopt;
    stamp.written = std::filesystem::last_write_time(path, error);
    if (error) return std::nullopt;
    return stamp;
}

std::string name_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

class Watcher {
  public:
    Watcher(const WatchOptions& options, const char* argv0, StopSignals& stop)
        : options_(options),
          argv0_(argv0),
          settle_(std::chrono::duration_cast<Clock::duration>(
              std::chrono::duration<double>(options.settleSeconds))),
          stop_(stop),
          // An outage of the schedule service is believed until the files it
          // left are tried again: one wait for the service per retry, not one
          // per file.
          scheduleOutage_(std::make_shared<ScheduleOutage>(kRetryDelay)) {}

    // A recording was written or arrived: it is renamed once it settles.
    void expect(const std::string& path) {
        if (!is_recording_name(name_of(path))) return;
        pending_[path] = Pending{Clock::now() + settle_, stamp_of(path)};
    }

    void take_events(const std::vector<FolderEvent>& events,
                     const std::vector<std::string>& folders) {
        for (const FolderEvent& event : events) {
            switch (event.kind) {
                case FolderEvent::Kind::closedAfterWrite:
                    expect(event.path);
                    break;
                case FolderEvent::Kind::movedIn:
                    take_arrival(event);
                    break;
                case FolderEvent::Kind::movedOut:
                    take_departure(event);
                    break;
                case FolderEvent::Kind::deleted:
                    forget(event.path);
                    break;
                case FolderEvent::Kind::overflow:
                    std::cerr << "kalvento-cli: "
                              << _("events were lost (the system's event queue overflowed); "
                                   "looking for recordings that came or changed")
                              << "\n";
                    for (const std::string& folder : folders) expect_changed_in(folder);
                    break;
                case FolderEvent::Kind::folderGone:
                    std::cerr << "kalvento-cli: "
                              << fill(_("%s is gone and no longer watched"),
                                      {path_for_text(event.path)})
                              << "\n";
                    break;
            }
        }
    }

    // --existing: every recording there now is to be named.
    void expect_all_in(const std::string& folder) {
        for (const RecordingArgument& found : expand_recording_arguments({folder}, false))
            if (found.error.empty()) expect(found.path);
    }

    // Without --existing the recordings there now are not this watch's to
    // name: they are noted as they are, so that lost events bring back only
    // what came or changed since.
    void pass_over_all_in(const std::string& folder) {
        for (const RecordingArgument& found : expand_recording_arguments({folder}, false)) {
            if (!found.error.empty()) continue;
            if (const std::optional<Stamp> stamp = stamp_of(found.path))
                passedOver_[identity_key(found.path)] = *stamp;
        }
    }

    // After lost events: the recordings that came or changed since the watch
    // started, and that it has not handled, are looked at again.
    void expect_changed_in(const std::string& folder) {
        for (const RecordingArgument& found : expand_recording_arguments({folder}, false)) {
            if (!found.error.empty() || pending_.count(found.path) != 0) continue;
            const IdentityKey identity = identity_key(found.path);
            if (handled_.count(identity) != 0) continue;
            const auto passed = passedOver_.find(identity);
            if (passed != passedOver_.end() && stamp_of(found.path) == passed->second) continue;
            expect(found.path);
        }
    }

    // Renames what has settled; stops between files when asked to.
    void rename_settled() {
        const Clock::time_point now = Clock::now();
        std::erase_if(renamed_,
                      [&](const auto& item) { return item.second + kOwnMoveMemory < now; });
        std::erase_if(ownMoves_,
                      [&](const auto& item) { return item.second + kOwnMoveMemory < now; });
        std::erase_if(othersMoves_,
                      [&](const auto& item) { return item.second.when + kOwnMoveMemory < now; });
        std::erase_if(handled_,
                      [&](const auto& item) { return item.second + kHandledMemory < now; });
        std::vector<std::string> due;
        for (const auto& [path, pending] : pending_)
            if (pending.due <= now) due.push_back(path);
        for (const std::string& path : due) {
            if (stop_.requested()) return;
            Pending& pending = pending_[path];
            const std::optional<Stamp> stamp = stamp_of(path);
            if (!stamp) {
                forget(path);
                continue;
            }
            if (!pending.stamp || !(*stamp == *pending.stamp)) {
                // Still being written (perhaps without events, on a share).
                pending = Pending{now + settle_, stamp};
                continue;
            }
            pending_.erase(path);
            rename_one(path);
        }
    }

    // How long to wait for events before something is due.
    std::chrono::milliseconds wait_time() const {
        Clock::time_point next = Clock::now() + kIdleWait;
        for (const auto& [path, pending] : pending_) next = std::min(next, pending.due);
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now());
        return std::max(left, std::chrono::milliseconds(0));
    }

  private:
    struct Pending {
        Clock::time_point due;
        std::optional<Stamp> stamp;
    };
    struct OthersMove {
        Clock::time_point when;
        bool wasPending = false;  // it had not settled when it was moved
    };
    using IdentityKey = std::pair<std::uint64_t, std::uint64_t>;  // device, inode

    static IdentityKey identity_key(const std::string& path) {
        const std::optional<FileIdentity> identity = file_identity(path);
        return identity ? IdentityKey{identity->device, identity->inode} : IdentityKey{};
    }

    // A file moved away from a watched name. Where it goes, if that is a
    // watched folder, comes as its arrival.
    void take_departure(const FolderEvent& event) {
        if (renamed_.erase(event.path) != 0) {
            ownMoves_[event.cookie] = Clock::now();
        } else if (is_recording_name(name_of(event.path))) {
            othersMoves_[event.cookie] = OthersMove{Clock::now(), pending_.count(event.path) != 0};
        }
        pending_.erase(event.path);
    }

    void take_arrival(const FolderEvent& event) {
        // The second half of a rename this watch made: nothing to do.
        if (ownMoves_.erase(event.cookie) != 0) return;
        const auto other = othersMoves_.find(event.cookie);
        if (other != othersMoves_.end()) {
            const bool was_pending = other->second.wasPending;
            othersMoves_.erase(other);
            // A recording renamed inside the watched folders by someone else
            // (a person, an undo) keeps the name it was given; one renamed by
            // its writer before it settled is still to be named.
            if (!was_pending) return;
        }
        expect(event.path);
    }

    void forget(const std::string& path) {
        if (pending_.erase(path) != 0)
            std::cerr << "kalvento-cli: "
                      << fill(_("%s vanished before it settled"), {path_for_text(path)}) << "\n";
    }

    void rename_one(const std::string& path) {
        RenameOptions rename = options_.rename;
        rename.files = {path};
        rename.frontEnd = kFrontEndWatch;
        rename.stop = stop_.token();
        rename.scheduleOutage = scheduleOutage_;
        rename.retrying = retrying_.contains(path);
        const IdentityKey identity = identity_key(path);
        std::vector<std::string> statuses;
        const int code = run_rename(rename, argv0_, &statuses);
        // Told to stop in the middle: the file stays as it is, and the watch ends.
        if (rename.stop.stop_requested()) return;
        // A journal that could not be written (a full disk) is passing trouble
        // too, like a service that cannot be reached.
        const bool try_again = code == kExitTryAgain || code == kExitUsage ||
                               std::ranges::count(statuses, "notRecorded") != 0;
        if (!try_again) {
            // Its move away from this name, if it moved (a companion left
            // behind still gives 1), is ours; the name it moves to is not a
            // new recording.
            renamed_[path] = Clock::now();
            handled_[identity] = Clock::now();
            retrying_.erase(path);
        } else {
            retrying_.insert(path);
            std::cerr << "kalvento-cli: " << path_for_text(path)
                      << fill(_(": tried again in %s minutes"),
                              {std::to_string(kRetryDelay.count())})
                      << "\n";
            pending_[path] = Pending{Clock::now() + kRetryDelay, stamp_of(path)};
        }
    }

    const WatchOptions& options_;
    const char* argv0_;
    Clock::duration settle_;
    StopSignals& stop_;
    std::shared_ptr<ScheduleOutage> scheduleOutage_;
    std::map<std::string, Pending> pending_;
    std::set<std::string> retrying_;  // files left to be tried again
    // Old paths of the files this watch renamed, and the cookies of those
    // moves, with when they were noted.
    std::map<std::string, Clock::time_point> renamed_;
    std::map<std::uint32_t, Clock::time_point> ownMoves_;
    // Moves of recordings by others, by cookie.
    std::map<std::uint32_t, OthersMove> othersMoves_;
    // The files this watch has handled, so that lost events bring back only
    // those it has not seen.
    std::map<IdentityKey, Clock::time_point> handled_;
    // The recordings that were there when the watch started without --existing,
    // as they were then.
    std::map<IdentityKey, Stamp> passedOver_;
};

}  // namespace

CLI::App* add_watch_command(CLI::App& app, WatchOptions& options) {
    CLI::App* command = app.add_subcommand(
        "watch",
        _("Watch folders and rename each recording (.ts, .m2ts, .mts) written or moved into them,\n"
          "once it has been closed and has not changed for the settle time, as rename would.\n"
          "One line per file on standard output; ends cleanly on SIGTERM or SIGINT."));
    command
        ->add_option("--settle", options.settleSeconds,
                     _("Seconds a recording must stay unchanged after it was closed (default 30)"))
        ->type_name("SECONDS")
        ->check(CLI::Range(0.0, 86400.0));
    command->add_flag("--existing", options.existing,
                      _("Also take the recordings already in the folders when the watch starts"));
    command->add_flag("--json", options.rename.json,
                      _("One JSON object per file and line, as rename --json writes"));
    command->add_flag("--allow-fallback", options.rename.allowFallback,
                      _("As rename --allow-fallback; without it a file whose rule needs an\n"
                        "unreachable schedule service is tried again after 5 minutes"));
    command->add_flag("-v,--verbose", options.rename.verbose,
                      _("Show the schedule-service requests of rename rules"));
    add_explain_option(*command, options.rename.explain,
                       _("Tell why each recording gets its name"));
    add_template_option(*command, options.rename.templateText,
                        _("Name every recording by this template of the rename rules' @-macros"));
    add_trace_options(*command, options.rename.logFile, options.rename.systemLog);
    command->add_option("FOLDER", options.folders, _("Folders to watch (not their subfolders)"))
        ->required();
    return command;
}

int run_watch(const WatchOptions& options, const char* argv0) {
    std::string error;
    if (options.rename.templateText && !template_argument(*options.rename.templateText, error)) {
        std::cerr << "kalvento-cli: " << shown(error) << "\n";
        return kExitUsage;
    }
    // A log that cannot be kept is known before the watch starts.
    if (auto log = RunLog::open(options.rename.logFile, false); !log) {
        std::cerr << "kalvento-cli: " << shown(log.error().message) << "\n";
        return kExitUsage;
    }
    const std::unique_ptr<StopSignals> stop = StopSignals::install(error);
    if (!stop) {
        std::cerr << "kalvento-cli: watch: " << shown(error) << "\n";
        return kExitSomeFailed;
    }
    const std::unique_ptr<FolderWatch> watch = FolderWatch::open(error);
    if (!watch) {
        // The system refused (too many watches, say): no usage error.
        std::cerr << "kalvento-cli: watch: " << shown(error) << "\n";
        return kExitSomeFailed;
    }
    for (const std::string& folder : options.folders) {
        if (list_directory(folder).status != ListingStatus::ok || !watch->add(folder, error)) {
            std::cerr << "kalvento-cli: "
                      << fill(_("cannot watch %s: %s"),
                              {path_for_text(folder),
                               error.empty() ? _("not a readable folder") : shown(error)})
                      << "\n";
            return kExitUsage;
        }
    }
    Watcher watcher(options, argv0, *stop);
    for (const std::string& folder : options.folders) {
        if (options.existing) {
            watcher.expect_all_in(folder);
        } else {
            watcher.pass_over_all_in(folder);
        }
    }
    std::ostringstream settle;  // as a stream writes it: 30, 0.5
    settle << options.settleSeconds;
    std::cerr << "kalvento-cli: "
              << fill(options.folders.size() == 1 ? _("watching %s folder, settle time %s s")
                                                  : _("watching %s folders, settle time %s s"),
                      {std::to_string(options.folders.size()), settle.str()})
              << "\n";

    while (!stop->requested()) {
        const FolderWatch::Wait waited = watch->wait(watcher.wait_time(), stop->descriptor());
        if (!waited.error.empty()) {
            std::cerr << "kalvento-cli: watch: " << shown(waited.error) << "\n";
            return kExitSomeFailed;
        }
        watcher.take_events(waited.events, options.folders);
        if (watch->folder_count() == 0) {
            std::cerr << "kalvento-cli: " << _("no folder left to watch") << "\n";
            return kExitSomeFailed;
        }
        watcher.rename_settled();
    }
    std::cerr << "kalvento-cli: " << _("watch ended") << "\n";
    return kExitDone;
}

}  // namespace kalvento::cli
