#include "platform/system_error_text.h"

#include "platform/message_mark.h"

#include <system_error>

namespace kalvento {

std::string system_reason(int error) {
    return std::error_code(error, std::generic_category()).message();
}

std::string describe_system_error(const char* format, const std::string& path, int error) {
    return fill_message(format, {path, system_reason(error)});
}

}  // namespace kalvento
