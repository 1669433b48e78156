#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace hivekit {

// An error raised inside the component, with the number, source and description the caller
// reads from the error information after the failed call.
class ComError : public std::runtime_error {
  public:
    ComError(std::int32_t number, std::string source, std::string description)
        : std::runtime_error(description),
          number_(number),
          source_(std::move(source)),
          description_(std::move(description)) {}

    std::int32_t Number() const { return number_; }
    const std::string& Source() const { return source_; }
    const std::string& Description() const { return description_; }

  private:
    std::int32_t number_;
    std::string source_;
    std::string description_;
};

// The language's own run-time errors that the component can raise.
constexpr std::int32_t kErrInvalidCall = 5;
constexpr std::int32_t kErrOverflow = 6;
constexpr std::int32_t kErrSubscript = 9;
constexpr std::int32_t kErrTypeMismatch = 13;
constexpr const char* kComponentSource = "Hivekit";

}  // namespace hivekit
