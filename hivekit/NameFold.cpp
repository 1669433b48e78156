#include "NameFold.h"

#include <locale.h>
#include <wctype.h>

namespace hivekit {

namespace {

// glibc's C.UTF-8 locale knows the case of every Unicode letter and is always there; it is
// used through towupper_l so that the program's own locale is never touched. It is freed when
// the library is unloaded.
class FoldingLocaleHolder {
  public:
    FoldingLocaleHolder()
        : loc_(newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr))) {}
    ~FoldingLocaleHolder() {
        if (loc_) {
            freelocale(loc_);
        }
    }
    FoldingLocaleHolder(const FoldingLocaleHolder&) = delete;
    FoldingLocaleHolder& operator=(const FoldingLocaleHolder&) = delete;
    locale_t get() const { return loc_; }

  private:
    locale_t loc_;
};

locale_t FoldingLocale() {
    static const FoldingLocaleHolder holder;
    return holder.get();
}

}  // namespace

std::size_t DecodeUtf8(std::string_view s, std::size_t i, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    std::size_t len = b0 < 0x80           ? 1
                      : (b0 >> 5) == 0x6  ? 2
                      : (b0 >> 4) == 0xE  ? 3
                      : (b0 >> 3) == 0x1E ? 4
                                          : 0;
    if (len == 0 || i + len > s.size()) {
        return 0;
    }
    char32_t value = len == 1   ? b0
                     : len == 2 ? (b0 & 0x1Fu)
                     : len == 3 ? (b0 & 0x0Fu)
                                : (b0 & 0x07u);
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            return 0;
        }
        value = (value << 6) | (b & 0x3Fu);
    }
    // Only the shortest form of a character is UTF-8: a longer one (C0 A2 for '"') would let
    // a byte check pass what the decoded text holds. Surrogates are UTF-16's, not characters.
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[len] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return 0;
    }
    cp = value;
    return len;
}

bool IsUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        char32_t cp = 0;
        const std::size_t len = DecodeUtf8(s, i, cp);
        if (len == 0) {
            return false;
        }
        i += len;
    }
    return true;
}

bool IsValidName(std::string_view name) {
    return name.find('\0') == std::string_view::npos && IsUtf8(name);
}

void AppendUtf8(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string FoldName(std::string_view name) {
    // Most names are ASCII: fold those in place, and decode only from the first other byte.
    std::string out(name);
    std::size_t i = 0;
    for (; i < out.size(); ++i) {
        const auto b = static_cast<unsigned char>(out[i]);
        if (b >= 0x80) {
            break;
        }
        if (b >= 'a' && b <= 'z') {
            out[i] = static_cast<char>(b - 'a' + 'A');
        }
    }
    if (i == out.size()) {
        return out;
    }
    out.resize(i);
    const locale_t loc = FoldingLocale();
    while (i < name.size()) {
        const auto b0 = static_cast<unsigned char>(name[i]);
        if (b0 < 0x80) {
            out += (b0 >= 'a' && b0 <= 'z') ? static_cast<char>(b0 - 'a' + 'A')
                                            : static_cast<char>(b0);
            ++i;
            continue;
        }
        char32_t cp = 0;
        const std::size_t len = DecodeUtf8(name, i, cp);
        if (len == 0) {
            out += name[i];
            ++i;
            continue;
        }
        if (loc) {
            cp = static_cast<char32_t>(towupper_l(static_cast<wint_t>(cp), loc));
        }
        AppendUtf8(cp, out);
        i += len;
    }
    return out;
}

bool SameName(std::string_view a, std::string_view b) {
    return FoldName(a) == FoldName(b);
}

std::size_t CharacterCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++count) {
        char32_t cp = 0;
        const std::size_t len = DecodeUtf8(text, i, cp);
        i += len == 0 ? 1 : len;
    }
    return count;
}

}  // namespace hivekit
