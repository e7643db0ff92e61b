#include "Text.h"

#include <windows.h>

#include "base/Handles.h"

namespace support {

std::string environment(const char* name) {
    char buffer[MAX_PATH] = {};
    GetEnvironmentVariableA(name, buffer, MAX_PATH);
    return buffer;
}

std::string letters(std::size_t size) {
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        text[i] = static_cast<char>('a' + i % 26);
    return text;
}

std::string utf8(const std::wstring& text) {
    std::string converted(text.size() * 4, '\0');
    converted.resize(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                         converted.data(), static_cast<int>(converted.size()),
                                         nullptr, nullptr));
    return converted;
}

std::string utf8FromUtf16(const std::string& bytes) {
    const std::size_t start = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE' ? 2 : 0;
    std::wstring text((bytes.size() - start) / 2, L'\0');
    bytes.copy(reinterpret_cast<char*>(text.data()), text.size() * 2, start);
    return utf8(text);
}

std::string readFile(const std::string& path) {
    base::unique_handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return {};
    }
    std::string data(GetFileSize(file.get(), nullptr), '\0');
    DWORD read = 0;
    ReadFile(file.get(), data.data(), static_cast<DWORD>(data.size()), &read, nullptr);
    data.resize(read);
    return data;
}

} // namespace support
