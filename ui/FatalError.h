// The program's handling of errors that no handler catches: every window
// procedure, hook and callback ends in a catch that comes here, so that no C++
// exception unwinds through the system's frames.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace ui {

struct FailureReport {
    std::int32_t number;
    std::string description;
};

// The number and description shown for an error: a base::Failure's own (a
// failure of the system's carries its error code), 7 "Out of memory" for
// std::bad_alloc, 51 "Internal error" with the message for anything else.
FailureReport DescribeFailure(std::exception_ptr error);

// Shows the error's number and description in a message box and ends the
// process. Called from catch blocks only.
[[noreturn]] void FailFast(std::exception_ptr error) noexcept;

} // namespace ui
