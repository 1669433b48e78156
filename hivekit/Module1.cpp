#include "Module1.h"

#include <limits>

namespace hivekit {

std::int16_t CountChar(std::string_view text, std::string_view ch) {
    if (ch.empty()) {
        return 0;
    }
    std::int32_t count = 0;
    for (std::size_t pos = text.find(ch); pos != std::string_view::npos;
         pos = text.find(ch, pos + ch.size())) {
        if (count < std::numeric_limits<std::int16_t>::max()) {
            ++count;
        }
    }
    return static_cast<std::int16_t>(count);
}

}  // namespace hivekit
