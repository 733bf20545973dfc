// Native paths in JSON: as text when they are valid UTF-8, and besides as hex
// bytes under "<key>Bytes" when they are not, so that every file can be found
// again from what was written.
#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace kalvento {

void put_path(nlohmann::ordered_json& json, const std::string& key, const std::string& path);

// The path under `key` ("<key>Bytes" first); nullopt when neither is a
// usable string.
std::optional<std::string> get_path(const nlohmann::json& json, const std::string& key);

}  // namespace kalvento
