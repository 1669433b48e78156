#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace corvane_sim {

// The arguments of one request's query string. Keys compare without regard to case;
// values are percent-decoded. A raw "+" stays a "+": the client writes a blank as %20 and
// a plus as %2B, so reading "+" as a blank would only corrupt a hand-written request.
class Query {
  public:
    // Parses the text after "?" (without the "?").
    explicit Query(std::string_view text);

    // The decoded value of the first argument named `key` (any case); empty when absent.
    std::string value(std::string_view key) const;
    bool has(std::string_view key) const;

  private:
    std::vector<std::pair<std::string, std::string>> items_;
};

// Decodes %XX sequences; a "%" not followed by two hex digits is kept as it is.
std::string percentDecode(std::string_view text);

// ASCII case-insensitive equality.
bool equalsNoCase(std::string_view a, std::string_view b);

// ASCII upper/lower case copies.
std::string toUpper(std::string_view text);
std::string toLower(std::string_view text);

}  // namespace corvane_sim
