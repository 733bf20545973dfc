// The companion files of the recordings of one run (a conversion, a dry run),
// found from one reading of each folder: a run over thousands of recordings
// in one folder reads it once, not once per recording. The names follow the
// moves the run makes; a folder whose stamp shows a change by someone else is
// read again before its names are used.
#pragma once

#include "platform/directory_listing.h"
#include "platform/file_ops.h"

#include <map>
#include <string>
#include <vector>

namespace kalvento {

class CompanionListings {
  public:
    // What list_companions gives for the recording, from the folder's names.
    std::vector<CompanionEntry> companions_of(const std::string& recording_path);

    // A move this run made: the names of both folders follow it.
    void note_move(const std::string& from, const std::string& to);

  private:
    std::map<std::string, DirectoryNames> folders_;
};

}  // namespace kalvento
