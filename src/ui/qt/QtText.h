#pragma once
// The core's UTF-8 texts as Qt's strings.

#include <QString>

#include <string_view>

namespace ui {

inline QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace ui
