#include "ui/OpenFileDialog.h"

#include <commdlg.h>

#include <algorithm>
#include <stdexcept>

#include "base/SystemFunction.h"

namespace ui {

std::string SystemFilter(const std::string& filter) {
    std::string converted = filter;
    std::replace(converted.begin(), converted.end(), '|', '\0');
    // One NUL closes the last pattern, a second one closes the list; an empty
    // filter is a list with nothing in it.
    if (!converted.empty())
        converted.push_back('\0');
    converted.push_back('\0');
    return converted;
}

bool OpenFileDialog::ShowOpen(HWND owner) {
    // Long paths: the dialog itself allows 32767 characters.
    std::string name(32768, '\0');
    FileName.copy(name.data(), std::min(FileName.size(), name.size() - 1));
    const std::string filter = SystemFilter(Filter);

    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = Filter.empty() ? nullptr : filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    // The common dialogs' DLL, and the shell libraries it loads in turn, come
    // in when the dialog is first shown rather than with the program: they
    // would lengthen every start, and most sessions never browse.
    const auto getOpenFileName = base::LoadedSystemFunction<decltype(&::GetOpenFileNameA)>(
        "comdlg32.dll", "GetOpenFileNameA");
    const auto extendedError = base::LoadedSystemFunction<decltype(&::CommDlgExtendedError)>(
        "comdlg32.dll", "CommDlgExtendedError");
    if (!getOpenFileName || !extendedError)
        throw std::runtime_error("The open-file dialog is not available");
    if (getOpenFileName(&dialog)) {
        FileName = name.data();
        return true;
    }
    // The dialogs' error codes (CDERR_*, FNERR_*) are below 0x10000: as an
    // int, the number is written by the conversion the rest of the program
    // already uses.
    if (DWORD error = extendedError())
        throw std::runtime_error("The open-file dialog failed with error " +
                                 std::to_string(static_cast<int>(error)));
    return false;
}

} // namespace ui
