// Planning the move of one recording: whether it is due at all, which free
// name it takes and which companions go with it. The dry run and the real
// conversion use the same planner, so what a dry run prints is what a
// conversion does, as long as the disk does not change in between.
#pragma once

#include "naming/companion_listing.h"
#include "naming/file_entry.h"
#include "naming/rename.h"
#include "platform/file_ops.h"

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kalvento {

// Whether a native path is taken for the free-name search.
using NameTaken = std::function<bool(const std::string& native_path)>;

// The first n from `first_number` to kMaxNameNumber whose numbered form of
// `target` is free; nullopt when all are taken. This is the one numbered-name
// loop: the planner and the move both go through it.
std::optional<int> first_free_number(const std::string& target, int first_number,
                                     const std::function<bool(const std::string& candidate)>& free);

// A companion the options let follow the recording.
bool companion_follows(const CompanionEntry& companion, const ConversionOptions& options);

// The name suffixes of the companions that follow `recording`, and the
// longest of them (it decides whether every new name fits).
struct FollowingSuffixes {
    std::vector<std::string> suffixes;
    std::string longest;
};
FollowingSuffixes following_suffixes(const std::string& recording, const ConversionOptions& options,
                                     CompanionListings& listings);

struct RenamePlan {
    std::optional<ConvertStatus> blocker;  // why the file stays (no move is due)
    std::string message;                   // what the blocker is about, when it needs saying
    std::string from;                      // native path now
    std::string to;                        // the free numbered form chosen
    int nameNumber = 0;
    std::vector<CompanionMove> companions;  // from/to of each companion that follows
};

// Plans the entry's move: its blocker, or the first numbered form of its
// target from `first_number` on for which the recording's new name and the
// new names of all the companions that follow it are free (noFreeName when
// there is none), and those companions. The recording and its companions move
// together or not at all: when the longest of their new names would pass the
// file-name limit the plan is tooLong.
RenamePlan plan_rename(const FileEntry& entry, const ConversionOptions& options,
                       const NameTaken& taken, CompanionListings& listings, int first_number = 0);

// Plans a batch without touching the disk: a name planned for an earlier file
// is taken, a name an earlier file gives up is free.
class DryRunPlanner {
  public:
    RenamePlan plan(const FileEntry& entry, const ConversionOptions& options);

  private:
    bool taken(const std::string& path) const;

    std::set<std::string> planned_;
    std::set<std::string> vacated_;
    CompanionListings listings_;
};

}  // namespace kalvento
