#include "dialogs/Functions.h"

#include "dialogs/Ask.h"

namespace Functions {

std::int16_t AskAnswer = 0;

std::int16_t AskToSave() {
    dialogs::Ask& ask = dialogs::Ask::Instance();
    ask.Load();
    ask.ShowModal();
    return AskAnswer;
}

} // namespace Functions
