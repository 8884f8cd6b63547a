// Text and paths between the engine (UTF-8 std::string, std::filesystem::path) and Qt.
#pragma once

#include <QString>

#include <filesystem>
#include <string>
#include <string_view>

namespace tessaro::window {

inline QString qtText(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline std::string utf8Text(const QString& text) { return text.toStdString(); }

inline std::filesystem::path pathOf(const QString& text) { return std::filesystem::path(text.toStdU16String()); }

inline QString qtPath(const std::filesystem::path& path) { return QString::fromStdU16String(path.u16string()); }

}  // namespace tessaro::window
