#include "Variant.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "ComError.h"

namespace hivekit {

std::string VarToString(const Var& v) {
    if (const auto* s = std::get_if<std::string>(&v)) {
        return *s;
    }
    if (const auto* i = std::get_if<std::int16_t>(&v)) {
        return std::to_string(*i);
    }
    if (const auto* l = std::get_if<std::int32_t>(&v)) {
        return std::to_string(*l);
    }
    if (const auto* u = std::get_if<std::uint8_t>(&v)) {
        return std::to_string(*u);
    }
    if (const auto* b = std::get_if<bool>(&v)) {
        return *b ? "True" : "False";
    }
    if (std::holds_alternative<Bytes>(v)) {
        throw ComError(kErrTypeMismatch, kComponentSource, "Type mismatch");
    }
    return {};
}

std::int32_t VarToLong(const Var& v) {
    if (const auto* i = std::get_if<std::int16_t>(&v)) {
        return *i;
    }
    if (const auto* l = std::get_if<std::int32_t>(&v)) {
        return *l;
    }
    if (const auto* u = std::get_if<std::uint8_t>(&v)) {
        return *u;
    }
    if (const auto* b = std::get_if<bool>(&v)) {
        return *b ? -1 : 0;
    }
    if (std::holds_alternative<std::monostate>(v)) {
        return 0;
    }
    if (const auto* s = std::get_if<std::string>(&v)) {
        // Text holding a number converts, rounded half to even; anything else does not.
        const char* begin = s->c_str();
        char* end = nullptr;
        errno = 0;
        const double d = std::strtod(begin, &end);
        while (end && *end == ' ') {
            ++end;
        }
        if (end == begin || !end || *end != '\0' || !std::isfinite(d)) {
            throw ComError(kErrTypeMismatch, kComponentSource, "Type mismatch");
        }
        const double r = std::nearbyint(d);
        if (r < std::numeric_limits<std::int32_t>::min() ||
            r > std::numeric_limits<std::int32_t>::max()) {
            throw ComError(kErrOverflow, kComponentSource, "Overflow");
        }
        return static_cast<std::int32_t>(r);
    }
    throw ComError(kErrTypeMismatch, kComponentSource, "Type mismatch");
}

std::size_t VarLength(const Var& v) {
    if (std::holds_alternative<std::monostate>(v)) {
        return 0;
    }
    if (const auto* b = std::get_if<Bytes>(&v)) {
        return b->size();
    }
    return VarToString(v).size();
}

}  // namespace hivekit
