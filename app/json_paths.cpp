#include "app/json_paths.h"

#include "platform/codepage.h"

namespace kalvento {
namespace {

constexpr char kHex[] = "0123456789abcdef";

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

void put_path(nlohmann::ordered_json& json, const std::string& key, const std::string& path) {
    json[key] = path;
    if (utf8_to_wide(path)) return;
    std::string hex;
    hex.reserve(path.size() * 2);
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        hex += kHex[byte >> 4];
        hex += kHex[byte & 0x0F];
    }
    json[key + "Bytes"] = hex;
}

std::optional<std::string> get_path(const nlohmann::json& json, const std::string& key) {
    const auto bytes = json.find(key + "Bytes");
    if (bytes != json.end() && bytes->is_string()) {
        const std::string& hex = bytes->get_ref<const std::string&>();
        if (hex.size() % 2 != 0) return std::nullopt;
        std::string path;
        path.reserve(hex.size() / 2);
        for (std::size_t i = 0; i < hex.size(); i += 2) {
            const int high = hex_digit(hex[i]);
            const int low = hex_digit(hex[i + 1]);
            if (high < 0 || low < 0) return std::nullopt;
            path += static_cast<char>(high << 4 | low);
        }
        return path;
    }
    const auto text = json.find(key);
    if (text == json.end() || !text->is_string()) return std::nullopt;
    return text->get<std::string>();
}

}  // namespace kalvento
