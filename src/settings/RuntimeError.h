#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace tessel {

// Failure numbers shared by the whole program. A loader that traps errors only needs to know that
// something failed; the numbers let tests tell the failures apart.
enum ErrorNumber : std::int32_t {
    kErrInvalidArgument = 5,  // also an absent key in a Collection
    kErrOverflow = 6,
    kErrTypeMismatch = 13,
    kErrKeyAlreadyExists = 457,
    kErrUnknownBoard = static_cast<std::int32_t>(0x80040001u),
};

// The one exception type the core raises for runtime failures.
class RuntimeError : public std::runtime_error {
  public:
    RuntimeError(std::int32_t number, const std::string& description)
        : std::runtime_error(description), number_(number) {}

    std::int32_t Number() const { return number_; }
    std::string Description() const { return what(); }

  private:
    std::int32_t number_;
};

}  // namespace tessel
