// Procedures and variables shared by the windows.
#pragma once

#include <cstdint>

namespace Functions {

// The save question's answer: -1 for "Yes", 0 for "No". 0 at start; Ask
// resets it each time it is loaded.
extern std::int16_t AskAnswer;

// Shows Ask modally over the main window; returns -1 when the user answered
// "Yes" and 0 in every other case.
std::int16_t AskToSave();

} // namespace Functions
