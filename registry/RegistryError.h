// What a failing Registry operation raises: a signed 32-bit number, the
// source that raised it ("<program>.Registry") and a description.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "base/Failure.h"

class RegistryError : public base::Failure {
public:
    RegistryError(std::int32_t number, std::string source, std::string description)
        : base::Failure(number, std::move(description)), source_(std::move(source)) {}

    const std::string& Source() const noexcept { return source_; }

private:
    std::string source_;
};
