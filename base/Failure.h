// A failure the program can name: a signed 32-bit number and a description.
// Whatever a layer raises for its own failures derives from it, so that the
// fatal-error box can show any of them without knowing the layer.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

namespace base {

class Failure : public std::runtime_error {
public:
    Failure(std::int32_t number, std::string description)
        : std::runtime_error(description), number_(number), description_(std::move(description)) {}

    std::int32_t Number() const noexcept { return number_; }
    const std::string& Description() const noexcept { return description_; }

private:
    std::int32_t number_;
    std::string description_;
};

} // namespace base
