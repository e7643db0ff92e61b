#include "ScratchKey.h"

#include <aclapi.h>
#include <objbase.h>

#include <algorithm>

void PrintTo(const Variant& value, std::ostream* out) {
    *out << "kind " << static_cast<int>(value.kind()) << " \"" << value.toText() << "\"";
}

namespace support {

std::int32_t keyClassOf(HKEY root) {
    return static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(root));
}

std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

void PrintTo(const RawValue& value, std::ostream* out) {
    *out << "type " << value.type << " "
         << ::testing::PrintToString(std::string(value.data.begin(), value.data.end()));
}

std::string Keys::path(const std::string& relative) const {
    if (relative.empty() || path_.empty())
        return path_ + relative;
    return path_ + "\\" + relative;
}

void Keys::create(const std::string& relative) const {
    base::unique_hkey key;
    ASSERT_EQ(0, RegCreateKeyExA(root_, path(relative).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                 nullptr, key.put(), nullptr))
        << path(relative);
}

void Keys::createChild(const std::string& parent, const std::string& name) const {
    base::unique_hkey key;
    base::unique_hkey child;
    ASSERT_EQ(0, RegOpenKeyExA(root_, path(parent).c_str(), 0, KEY_ALL_ACCESS, key.put()));
    ASSERT_EQ(0, RegCreateKeyExA(key.get(), name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                 child.put(), nullptr));
}

bool Keys::exists(const std::string& relative) const {
    return openStatus(relative, READ_CONTROL) == ERROR_SUCCESS;
}

LSTATUS Keys::openStatus(const std::string& relative, REGSAM access) const {
    base::unique_hkey key;
    return RegOpenKeyExA(root_, path(relative).c_str(), 0, access, key.put());
}

void Keys::set(const std::string& name, DWORD type, const std::vector<std::uint8_t>& data,
               const std::string& relative) const {
    base::unique_hkey key;
    ASSERT_EQ(0, RegCreateKeyExA(root_, path(relative).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                 nullptr, key.put(), nullptr))
        << path(relative);
    ASSERT_EQ(0,
              RegSetValueExA(key.get(), name.c_str(), 0, type, data.empty() ? nullptr : data.data(),
                             static_cast<DWORD>(data.size())))
        << path(relative);
}

std::optional<RawValue> Keys::get(const std::string& name, const std::string& relative) const {
    base::unique_hkey key;
    if (RegOpenKeyExA(root_, path(relative).c_str(), 0, KEY_QUERY_VALUE, key.put()) != 0)
        return std::nullopt;
    RawValue value;
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &value.type, nullptr, &size) != 0)
        return std::nullopt;
    value.data.resize(size);
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, value.data.data(), &size) != 0)
        return std::nullopt;
    value.data.resize(size);
    return value;
}

Registry Keys::registryAt(const std::string& relative) const {
    Registry registry;
    registry.KeyClass(keyClass());
    registry.KeyName(path(relative));
    return registry;
}

KeyDenial::KeyDenial(HKEY root, const std::string& path, DWORD deniedRights) : path_(path) {
    DWORD size = 0;
    if (RegOpenKeyExA(root, path.c_str(), 0, READ_CONTROL | WRITE_DAC, key_.put()) ||
        RegGetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, nullptr, &size) !=
            ERROR_INSUFFICIENT_BUFFER)
        return;
    original_.resize(size);
    BOOL present = FALSE, defaulted = FALSE;
    PACL original = nullptr;
    BYTE everyone[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof everyone;
    if (RegGetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, original_.data(), &size) ||
        !GetSecurityDescriptorDacl(original_.data(), &present, &original, &defaulted) ||
        !CreateWellKnownSid(WinWorldSid, nullptr, everyone, &sidSize))
        return;
    // The denial goes before what the key allowed; a key without an access
    // list allowed everyone everything, which is then spelled out.
    EXPLICIT_ACCESSA entries[2]{};
    for (EXPLICIT_ACCESSA& entry : entries)
        BuildTrusteeWithSidA(&entry.Trustee, everyone);
    entries[0].grfAccessPermissions = deniedRights;
    entries[0].grfAccessMode = DENY_ACCESS;
    entries[1].grfAccessPermissions = KEY_ALL_ACCESS;
    entries[1].grfAccessMode = GRANT_ACCESS;
    PACL acl = nullptr;
    if (SetEntriesInAclA(original ? 1 : 2, entries, original, &acl) != ERROR_SUCCESS)
        return;
    active_ =
        SetSecurityInfo(reinterpret_cast<HANDLE>(key_.get()), SE_REGISTRY_KEY,
                        DACL_SECURITY_INFORMATION, nullptr, nullptr, acl, nullptr) == ERROR_SUCCESS;
    LocalFree(acl);
}

KeyDenial::~KeyDenial() {
    if (active_) {
        EXPECT_EQ(ERROR_SUCCESS,
                  RegSetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, original_.data()))
            << "the access list of " << path_ << " could not be restored";
    }
}

ScratchKey::ScratchKey(HKEY root, std::string path) : Keys(root, std::move(path)) {
    create("");
}

ScratchKey::~ScratchKey() {
    denials_.clear();
    RegDeleteTreeA(root(), path().c_str());
    RegDeleteKeyA(root(), "Software\\QuillmereTest"); // refused while other tests' keys remain
}

void ScratchKey::deny(const std::string& relative, DWORD access) {
    denials_.push_back(std::make_unique<KeyDenial>(root(), path(relative), access));
    ASSERT_TRUE(denials_.back()->Active()) << "denying access to " << path(relative);
}

std::string ScratchKey::PathForThisTest() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string path = std::string("Software\\QuillmereTest\\") + test->test_suite_name() + "." +
                       test->name() + "." + std::to_string(GetCurrentProcessId());
    std::replace(path.begin(), path.end(), '/', '_');
    return path;
}

HRESULT createShellObject() {
    static constexpr CLSID shell = {
        0x72C24DD5, 0xD70A, 0x438B, {0x8A, 0x42, 0x98, 0x42, 0x4B, 0x88, 0xAF, 0xB8}};
    const HRESULT initialised = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    EXPECT_TRUE(SUCCEEDED(initialised)) << "COM could not be initialised";
    if (FAILED(initialised))
        return initialised;
    IDispatch* object = nullptr;
    const HRESULT created =
        CoCreateInstance(shell, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                         reinterpret_cast<void**>(&object));
    if (object)
        object->Release();
    CoUninitialize();
    return created;
}

std::uintptr_t freshHandleValue() {
    base::unique_hkey key;
    EXPECT_EQ(0, RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_QUERY_VALUE, key.put()));
    return reinterpret_cast<std::uintptr_t>(key.get());
}

} // namespace support
