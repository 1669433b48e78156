#pragma once

#include <QRect>
#include <QSize>
#include <ostream>

// Readable geometry in failure messages (GoogleTest finds them by argument-dependent lookup).
inline void PrintTo(const QRect& r, std::ostream* os) {
    *os << "(" << r.left() << ", " << r.top() << ", " << r.width() << " x " << r.height() << ")";
}
inline void PrintTo(const QSize& s, std::ostream* os) {
    *os << s.width() << " x " << s.height();
}
