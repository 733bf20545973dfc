// A recording file as the byte source of an analysis.
#pragma once

#include "platform/file_io.h"
#include "ts/ts_analyzer.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace kalvento {

class FileSource final : public ByteSource {
  public:
    // Opens the regular file at its native path; nullopt on success, else the reason.
    std::optional<std::string> open(const std::string& path) { return file_.open(path); }

    std::int64_t size() override { return file_.size(); }
    bool seek(std::int64_t offset) override { return file_.seek(offset); }
    std::size_t read(std::uint8_t* buffer, std::size_t length) override {
        return file_.read(buffer, length);
    }

  private:
    ReadOnlyFile file_;
};

}  // namespace kalvento
