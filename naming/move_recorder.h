// What a conversion tells a record keeper (the rename journal) about the
// files it touches: every move before it is made and how it came out, and
// every file before its times change. A move whose record cannot be written
// is not made, so no file changes without a record of how to change it back.
#pragma once

#include <string>

namespace kalvento {

enum class FileRole { recording, companion };

struct MoveIntent {
    FileRole role = FileRole::recording;
    std::string from;  // native paths
    std::string to;
};

class MoveRecorder {
  public:
    virtual ~MoveRecorder() = default;
    // Records the move before it is made; false (with `error`) when the
    // record could not be written: the move must not be made then.
    virtual bool before_move(const MoveIntent& intent, std::string& error) = 0;
    // Records how the move came out.
    virtual void after_move(const MoveIntent& intent, bool moved, const std::string& message) = 0;
    // Records the file's times before they are changed; false when the record
    // could not be written: the times must not be changed then.
    virtual bool before_dating(FileRole role, const std::string& path, std::string& error) = 0;
};

}  // namespace kalvento
