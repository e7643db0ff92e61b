// What a failing Registry operation raises: a signed 32-bit number, the
// source that raised it ("<program>.Registry") and a description.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

class RegistryError : public std::runtime_error {
public:
    RegistryError(std::int32_t number, std::string source, std::string description)
        : std::runtime_error(description), number_(number), source_(std::move(source)),
          description_(std::move(description)) {}

    std::int32_t Number() const noexcept { return number_; }
    const std::string& Source() const noexcept { return source_; }
    const std::string& Description() const noexcept { return description_; }

private:
    std::int32_t number_;
    std::string source_;
    std::string description_;
};
