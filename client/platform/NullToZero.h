#pragma once

#include <QString>
#include <QVariant>

namespace quillon {

// "0" for a Null value (a QVariant that holds no value or a null pointer) or a value whose text
// is empty after trimming spaces; otherwise the value's text unchanged (not trimmed).
QString NullToZero(const QVariant& value);

}  // namespace quillon
