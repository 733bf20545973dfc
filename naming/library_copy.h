// Converting one job-list entry into a library folder: the recording and the
// companions that would follow it are hard-linked, copied or moved into the
// folder (or a sub-folder its template gives) under the composed name, or
// the first free numbered form of it there. Link and copy leave the
// originals where they are, so a recording manager that keeps their paths
// finds them still.
//
// Nothing is ever overwritten, and nothing crosses file systems unasked: a
// link or move into a folder on another file system is refused with the
// reason, never turned into a copy.
#pragma once

#include "naming/companion_listing.h"
#include "naming/file_entry.h"
#include "naming/move_recorder.h"
#include "naming/rename.h"

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace kalvento {

enum class LibraryAction { link, copy, move };

// The expansion of one component of a folder template (CP932, its @-macros)
// for an entry's selected programme, CP932.
using FolderExpansion =
    std::function<std::string(const FileEntry& entry, std::string_view cp932_component)>;

struct LibraryTarget {
    LibraryAction action = LibraryAction::link;
    std::string folder;          // native path of the library folder; it must exist
    std::string folderTemplate;  // CP932, "/" between sub-folders; empty for none
    FolderExpansion expand;      // how the template's components are expanded
};

// The sub-folder path (native, relative, "/" between components) that the
// template gives for the entry, or nullopt with `why` when a component comes
// out empty, as "." or "..", or cannot be a file name. Each component gets
// the same character replacement as the composed names.
std::optional<std::string> library_subfolder(const FileEntry& entry, const LibraryTarget& target,
                                             std::string& why);

struct LibraryPlan {
    std::optional<ConvertStatus> blocker;  // why nothing is done
    std::string message;
    std::string from;  // native path now
    std::string to;    // the free numbered form chosen in the library
    int nameNumber = 0;
    std::vector<CompanionMove> companions;
    std::vector<std::string> foldersToMake;  // native paths, outermost first
};

using LibraryNameTaken = std::function<bool(const std::string& native_path)>;

// Plans the entry's way into the library (see the header comment).
LibraryPlan plan_library(const FileEntry& entry, const ConversionOptions& options,
                         const LibraryTarget& target, const LibraryNameTaken& taken,
                         CompanionListings& listings, int first_number = 0);

// Links, copies or moves the entry into the library as planned, going on to
// the next numbered form when a name is taken meanwhile. A move changes the
// entry as a rename does; link and copy leave it naming the original. The
// recorder hears of every step first and can refuse it. FileDate dates a
// copy and a moved file, never a link (that would date the original too).
ConvertResult place_entry(FileEntry& entry, const ConversionOptions& options,
                          const LibraryTarget& target, MoveRecorder* recorder,
                          CompanionListings& listings);

// Plans a batch into the library without touching the disk: a name planned
// for an earlier file is taken.
class LibraryDryRun {
  public:
    LibraryPlan plan(const FileEntry& entry, const ConversionOptions& options,
                     const LibraryTarget& target);

  private:
    std::set<std::string> planned_;
    CompanionListings listings_;
};

}  // namespace kalvento
