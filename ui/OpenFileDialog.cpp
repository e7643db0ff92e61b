#include "ui/OpenFileDialog.h"

#include <commdlg.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

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
    std::vector<char> name(32768, '\0');
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
    if (GetOpenFileNameA(&dialog)) {
        FileName = name.data();
        return true;
    }
    if (DWORD error = CommDlgExtendedError())
        throw std::runtime_error("The open-file dialog failed with error " + std::to_string(error));
    return false;
}

} // namespace ui
