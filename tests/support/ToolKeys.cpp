#include "ToolKeys.h"

#include <sddl.h>

#include "rules/Tools.h"
#include "Text.h"

namespace support {

namespace {

KeyContents contentsOf(HKEY key, std::wstring name) {
    KeyContents contents{std::move(name), {}, {}, {}};
    DWORD size = 0;
    RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
    contents.security.resize(size);
    EXPECT_EQ(0,
              RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, contents.security.data(), &size));
    DWORD subkeys = 0, longestSubkey = 0, values = 0, longestName = 0, largestData = 0;
    EXPECT_EQ(0, RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &longestSubkey, nullptr,
                                  &values, &longestName, &largestData, nullptr, nullptr));
    for (DWORD i = 0; i < values; ++i) {
        std::wstring valueName(longestName + 1, L'\0');
        DWORD nameLength = longestName + 1, dataSize = largestData;
        RawValue value{0, std::vector<std::uint8_t>(largestData)};
        EXPECT_EQ(0, RegEnumValueW(key, i, valueName.data(), &nameLength, nullptr, &value.type,
                                   value.data.data(), &dataSize));
        valueName.resize(nameLength);
        value.data.resize(dataSize);
        contents.values.emplace_back(valueName, value);
    }
    for (DWORD i = 0; i < subkeys; ++i) {
        std::wstring subkeyName(longestSubkey + 1, L'\0');
        DWORD nameLength = longestSubkey + 1;
        base::unique_hkey subkey;
        if (RegEnumKeyExW(key, i, subkeyName.data(), &nameLength, nullptr, nullptr, nullptr,
                          nullptr) != 0 ||
            RegOpenKeyExW(key, subkeyName.c_str(), 0, KEY_READ, subkey.put()) != 0) {
            ADD_FAILURE() << "sub-key " << i << " could not be read";
            continue;
        }
        subkeyName.resize(nameLength);
        contents.subkeys.push_back(contentsOf(subkey.get(), subkeyName));
    }
    return contents;
}

// Values and sub-keys first: the access list may take away the rights to add them.
void build(HKEY key, const KeyContents& contents) {
    for (const auto& [name, value] : contents.values)
        EXPECT_EQ(0, RegSetValueExW(key, name.c_str(), 0, value.type, value.data.data(),
                                    static_cast<DWORD>(value.data.size())));
    for (const KeyContents& child : contents.subkeys) {
        base::unique_hkey subkey;
        EXPECT_EQ(0, RegCreateKeyExW(key, child.name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                     nullptr, subkey.put(), nullptr));
        build(subkey.get(), child);
    }
    EXPECT_EQ(0, RegSetKeySecurity(key, DACL_SECURITY_INFORMATION,
                                   const_cast<BYTE*>(contents.security.data())));
}

} // namespace

const char* keyOf(int row) {
    return rules::Tools[row].keyPath;
}

void removeToolKeys() {
    for (int row = 0; row < rules::ToolCount; ++row)
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, keyOf(row));
}

void store(const std::string& path, DWORD type, const std::string& data, const char* name) {
    LocalMachine.set(name, type, bytesOf(data), path);
}

void storeText(int row, DWORD type, const std::string& text) {
    store(keyOf(row), type, text + '\0');
}

std::string bytesOfNumber(DWORD number) {
    return std::string(reinterpret_cast<const char*>(&number), sizeof number);
}

std::string expanded(const std::string& text) {
    const DWORD needed = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
    std::string buffer(needed, '\0');
    ExpandEnvironmentStringsA(text.c_str(), buffer.data(), needed);
    return buffer.substr(0, needed ? needed - 1 : 0);
}

void PrintTo(const Stored& value, std::ostream* out) {
    *out << "type " << value.type << " \"" << value.text << "\"";
}

std::optional<Stored> storedValue(int row) {
    const std::optional<RawValue> raw = LocalMachine.get("", keyOf(row));
    if (!raw)
        return std::nullopt;
    std::string text(raw->data.begin(), raw->data.end());
    if (!text.empty() && text.back() == '\0')
        text.pop_back();
    return Stored{raw->type, text};
}

RedirectedMachine::RedirectedMachine()
    : scratch_(HKEY_CURRENT_USER, ScratchKey::PathForThisTest() + ".Machine") {
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, machineSoftware_.put()) ||
        RegOpenKeyExA(HKEY_CURRENT_USER, scratch_.path().c_str(), 0, KEY_ALL_ACCESS, target_.put()))
        return;
    active_ = RegOverridePredefKey(HKEY_LOCAL_MACHINE, target_.get()) == ERROR_SUCCESS;
}

RedirectedMachine::~RedirectedMachine() {
    if (active_)
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
}

std::string RedirectedMachine::RealPath(const std::string& machinePath) const {
    return "HKEY_CURRENT_USER\\" + scratch_.path(machinePath);
}

std::optional<KeyContents> RedirectedMachine::MachineKey(const std::string& path) const {
    const std::string software = "SOFTWARE\\";
    EXPECT_EQ(0, path.compare(0, software.size(), software)) << path;
    return snapshotKey(machineSoftware_.get(), path.substr(software.size()));
}

std::optional<KeyContents> snapshotKey(HKEY root, const std::string& path) {
    base::unique_hkey key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) != 0)
        return std::nullopt;
    return contentsOf(key.get(), L"");
}

void restoreKey(HKEY root, const std::string& path, const std::optional<KeyContents>& snapshot) {
    const LSTATUS deleted = RegDeleteTreeA(root, path.c_str());
    EXPECT_TRUE(deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND)
        << path << " could not be deleted: " << deleted;
    if (!snapshot)
        return;
    base::unique_hkey key;
    EXPECT_EQ(0, RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                 key.put(), nullptr))
        << path;
    build(key.get(), *snapshot);
}

void PrintTo(const KeyContents& key, std::ostream* out) {
    char* sddl = nullptr;
    ConvertSecurityDescriptorToStringSecurityDescriptorA(const_cast<BYTE*>(key.security.data()),
                                                         SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                         &sddl, nullptr);
    *out << "{\"" << utf8(key.name) << "\" " << (sddl ? sddl : "(no access list)");
    LocalFree(sddl);
    for (const auto& [name, value] : key.values) {
        *out << ", \"" << utf8(name) << "\"=";
        PrintTo(value, out);
    }
    for (const KeyContents& subkey : key.subkeys) {
        *out << ", ";
        PrintTo(subkey, out);
    }
    *out << "}";
}

} // namespace support
