// One recording in the job list.
//
// The texts are CP932, as everything the naming works on; `nativePath` is the
// recording's exact path on disk (UTF-8 on Linux), through which the file is
// always opened, moved and dated, so a name that CP932 cannot spell is never
// guessed onto another file.
#pragma once

#include "programme/program_info.h"
#include "rules/naming_decision.h"

#include <string>
#include <vector>

namespace kalvento {

struct FileEntry {
    std::string currentName;  // base name and extension, no directory
    std::string sourcePath;   // full path as it now is on disk
    std::string newName;      // composed new name; empty when nothing could be composed
    std::string newPath;      // directory of sourcePath + newName: the rename target
    bool tooLong = false;     // the new path is too long: conversion leaves the file alone
    int selected = 0;         // index into candidates of the programme that names the file
    std::vector<ProgramInfo> candidates;  // never empty
    bool converted = false;  // moved by the last conversion; the next rebuild selects it again
    std::string nativePath;  // exact native path of sourcePath
    // Native form of newPath: the directory of nativePath and the UTF-8 form of
    // newName. Empty when newName is empty or cannot be spelt natively; the
    // conversion then leaves the file alone.
    std::string nativeNewPath;
    // The recording's directory as an absolute, normalised path (CP932 form,
    // with its trailing '/'): the path limit is measured on it, so a path
    // typed relative or with "./" gets the verdict the file itself deserves.
    std::string absoluteDirectory;

    // What the last composition noticed (the command line reports it):
    bool nameless = false;  // the items gave no text: only separators would remain
    bool scheduleUnreachable =
        false;  // the naming rule needed the schedule service and
                // could not reach it; the name uses the programme's own fields
    std::vector<std::string> ruleWarnings;  // patterns that could not be used (CP932)
    NamingDecision decision;                // why the name is what it is
};

}  // namespace kalvento
