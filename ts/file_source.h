// A recording file as the byte source of an analysis.
#pragma once

#include "ts/ts_analyzer.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace kalvento {

class FileSource final : public ByteSource {
public:
    FileSource() = default;
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    // Opens the file at its native path for sequential reading.
    bool open(const std::string& path);
    bool is_open() const { return fd_ >= 0; }

    std::int64_t size() override;
    bool seek(std::int64_t offset) override;
    // Reads until `length` bytes are in or the file ends; 0 at the end or on error.
    std::size_t read(std::uint8_t* buffer, std::size_t length) override;

private:
    int fd_ = -1;
};

}  // namespace kalvento
