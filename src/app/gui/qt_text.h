// Our texts are UTF-8 std::strings; Qt's are QStrings.
#pragma once

#include <QString>
#include <string_view>

namespace zkl::gui {

inline QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace zkl::gui
