// What a conversion tells a record keeper (the rename journal) about the
// files it touches: every move before it is made and how it came out, and
// every file before its times change; likewise every link or copy made into
// a library folder, and the folders made for them. A move whose record cannot be written
// is not made, so no file changes without a record of how to change it back.
#pragma once

#include "platform/file_copy.h"
#include "platform/result.h"

#include <string>

namespace kalvento {

enum class FileRole { recording, companion };

struct MoveIntent {
    FileRole role = FileRole::recording;
    std::string from;  // native paths
    std::string to;
};

// A second name made for a file in a library folder: a hard link or a copy.
enum class PlaceKind { link, copy };

struct PlaceIntent {
    FileRole role = FileRole::recording;
    PlaceKind kind = PlaceKind::link;
    std::string from;  // native paths
    std::string to;
};

class MoveRecorder {
  public:
    virtual ~MoveRecorder() = default;
    // Records the move before it is made; an error when the record could
    // not be written: the move must not be made then.
    virtual Status before_move(const MoveIntent& intent) = 0;
    // Records how the move came out.
    virtual void after_move(const MoveIntent& intent, bool moved, const std::string& message) = 0;
    // Records the file's times before they are changed; an error when the
    // record could not be written: the times must not be changed then.
    virtual Status before_dating(FileRole role, const std::string& path) = 0;
    // Records a link or copy before it is made; an error when the record
    // could not be written: it must not be made then.
    virtual Status before_place(const PlaceIntent& intent) = 0;
    // Records how it came out: the new file as it is now (and its hash for a copy).
    virtual void after_place(const PlaceIntent& intent, const PlaceResult& result) = 0;
    // Records a folder just made for the library, so an undo can remove it
    // when it is empty again.
    virtual void folder_made(const std::string& path) = 0;
};

}  // namespace kalvento
