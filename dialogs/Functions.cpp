#include "dialogs/Functions.h"

#include "dialogs/Ask.h"

namespace Functions {

std::int16_t AskAnswer = 0;

std::int16_t AskToSave() {
    // ShowModal loads the window (and so resets the answer) first.
    dialogs::Ask::Instance().ShowModal();
    return AskAnswer;
}

} // namespace Functions
