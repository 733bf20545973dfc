#include "gui/qt_text.h"

#include "platform/codepage.h"
#include "platform/cp932_text.h"

#include <QFile>

namespace kalvento::gui {

QString qt_from_cp932(std::string_view cp932) {
    if (cp932.empty()) return {};
    return QString::fromStdWString(cp932_to_wide(cp932));
}

std::string cp932_from_qt(const QString& text) {
    if (text.isEmpty()) return {};
    return wide_to_cp932(text.toStdWString(), Unmappable::space).value_or(std::string());
}

std::string cp932_from_qt(const QString& text, std::size_t max_bytes) {
    std::string bytes = cp932_from_qt(text);
    cut_cp932(bytes, max_bytes);
    return bytes;
}

QString qt_from_native_path(const std::string& native_path) {
    return QFile::decodeName(QByteArray::fromStdString(native_path));
}

std::string native_path_from_qt(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString escape_mnemonics(QString text) {
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

}  // namespace kalvento::gui
