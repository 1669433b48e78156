#pragma once

#include <QString>

namespace quillon {

// The title of the main window's message boxes, and the line break their texts use.
inline const QString kCorvane = QStringLiteral("Corvane");
inline const QString kCrLf = QStringLiteral("\r\n");

}  // namespace quillon
