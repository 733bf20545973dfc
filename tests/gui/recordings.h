// Recordings and settings files for the widget tests, written into
// temporary folders.
#pragma once

#include "platform/codepage.h"
#include "tests/support/recording_builder.h"
#include "tests/support/sample_recordings.h"
#include "tests/support/small_recording.h"
#include "tests/support/temp_dir.h"
#include "tests/support/ts_builder.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace kalvento::test {

// One programme, "<name>" on カルヴェントテレビ, Sunday 2024-04-07 21:00.
inline std::string write_drama(const TempDir& dir, const std::string& file, std::string_view name,
                               std::string_view description = "", std::uint32_t seed = 1) {
    write_small_recording(dir.file(file),
                          {.eventName = name, .description = description, .seed = seed});
    return dir.file(file);
}

// Two programmes: the weather, then a drama from 40 % of the file on.
inline std::string write_two_programmes(const TempDir& dir, const std::string& file) {
    RecordingPlan plan = sample_programme_change();
    plan.packets = 3000;
    plan.tableInterval = 30;
    write_file(dir.file(file), build_recording(plan));
    return dir.file(file);
}

// A file without packets: its entry has no programme data.
inline std::string write_noise(const TempDir& dir, const std::string& file) {
    write_text(dir.file(file), "not a recording");
    return dir.file(file);
}

// kalvento.ini in `dir` from UTF-8 lines (written as CP932 with CR LF).
inline void write_settings(const TempDir& dir, std::string_view utf8_lines) {
    std::string text;
    for (char c : utf8_lines) {
        if (c == '\n') text += '\r';
        text += c;
    }
    write_text(dir.file("kalvento.ini"), cp932(text));
}

}  // namespace kalvento::test
