// The one place where the core's code page 932 texts meet Qt's UTF-16 and the
// system's native (UTF-8) paths meet QString.
#pragma once

#include <QString>

#include <cstddef>
#include <string>
#include <string_view>

namespace kalvento::gui {

// CP932 -> QString. Never fails: bytes that are not CP932 travel as private
// code points and come back unchanged through `cp932_from_qt`.
QString qt_from_cp932(std::string_view cp932);

// QString -> CP932. A character CP932 lacks becomes one blank.
std::string cp932_from_qt(const QString& text);

// The same, cut to at most `max_bytes` bytes at a character boundary.
std::string cp932_from_qt(const QString& text, std::size_t max_bytes);

// A native path (UTF-8 bytes on Linux) as shown and back.
QString qt_from_native_path(const std::string& native_path);
std::string native_path_from_qt(const QString& path);

// A text shown as a menu item or button: '&' doubled so that it is not taken
// for a mnemonic marker.
QString escape_mnemonics(QString text);

}  // namespace kalvento::gui
