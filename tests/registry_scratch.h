// Test support for the Registry tests: a scratch key per test under the real
// (Wine's) registry, removed afterwards, with direct Win32 helpers to craft
// odd values, deny access and check what the class left behind.
#pragma once

#include <windows.h>

#include <aclapi.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "base/Handles.h"
#include "registry/Registry.h"

inline void PrintTo(const Variant& value, std::ostream* out) {
    *out << "kind " << static_cast<int>(value.kind()) << " \"" << value.toText() << "\"";
}

inline std::int32_t keyClassOf(HKEY root) {
    return static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(root));
}

inline std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

struct RawValue {
    DWORD type = 0;
    std::vector<std::uint8_t> data;
    bool operator==(const RawValue&) const = default;
};

class ScratchKey {
public:
    explicit ScratchKey(HKEY root = HKEY_CURRENT_USER) : ScratchKey(root, uniquePath()) {}
    // At a path of the caller's choice: Wine cannot open full paths longer
    // than about 260 characters, so long names need a short parent path.
    ScratchKey(HKEY root, std::string path) : root_(root), path_(std::move(path)) { create(""); }
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;
    ~ScratchKey() {
        for (const std::string& denied : denied_)
            restoreAccess(denied);
        RegDeleteTreeA(root_, path_.c_str());
        RegDeleteKeyA(root_, "Software\\QuillmereTest"); // refused while other tests' keys remain
    }

    HKEY root() const { return root_; }
    std::int32_t keyClass() const { return keyClassOf(root_); }
    const std::string& path() const { return path_; }
    std::string path(const std::string& relative) const {
        return relative.empty() ? path_ : path_ + "\\" + relative;
    }

    void create(const std::string& relative) const {
        base::unique_hkey key;
        ASSERT_EQ(0, RegCreateKeyExA(root_, path(relative).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                     nullptr, key.put(), nullptr));
    }
    // Under an opened parent, so that long names do not hit Wine's limit on
    // a full path's length.
    void createChild(const std::string& parent, const std::string& name) const {
        base::unique_hkey key;
        base::unique_hkey child;
        ASSERT_EQ(0, RegOpenKeyExA(root_, path(parent).c_str(), 0, KEY_ALL_ACCESS, key.put()));
        ASSERT_EQ(0, RegCreateKeyExA(key.get(), name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                     nullptr, child.put(), nullptr));
    }
    bool exists(const std::string& relative = "") const {
        base::unique_hkey key;
        return RegOpenKeyExA(root_, path(relative).c_str(), 0, READ_CONTROL, key.put()) == 0;
    }

    void set(const std::string& name, DWORD type, const std::vector<std::uint8_t>& data,
             const std::string& relative = "") const {
        base::unique_hkey key;
        ASSERT_EQ(0, RegOpenKeyExA(root_, path(relative).c_str(), 0, KEY_SET_VALUE, key.put()));
        ASSERT_EQ(0, RegSetValueExA(key.get(), name.c_str(), 0, type,
                                    data.empty() ? nullptr : data.data(),
                                    static_cast<DWORD>(data.size())));
    }
    std::optional<RawValue> get(const std::string& name, const std::string& relative = "") const {
        base::unique_hkey key;
        if (RegOpenKeyExA(root_, path(relative).c_str(), 0, KEY_QUERY_VALUE, key.put()) != 0)
            return std::nullopt;
        RawValue value;
        DWORD size = 0;
        if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &value.type, nullptr, &size) != 0)
            return std::nullopt;
        value.data.resize(size);
        RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, value.data.data(), &size);
        value.data.resize(size);
        return value;
    }

    // Denies everyone the given rights on a key (WRITE_DAC stays allowed, so
    // the destructor can lift the denial before removing the tree).
    void deny(const std::string& relative, DWORD access) {
        base::unique_hkey key;
        ASSERT_EQ(0, RegOpenKeyExA(root_, path(relative).c_str(), 0, WRITE_DAC, key.put()));
        char everyone[] = "EVERYONE";
        EXPLICIT_ACCESSA entries[2]{};
        BuildExplicitAccessWithNameA(&entries[0], everyone, access, DENY_ACCESS, NO_INHERITANCE);
        BuildExplicitAccessWithNameA(&entries[1], everyone, KEY_ALL_ACCESS, GRANT_ACCESS,
                                     NO_INHERITANCE);
        PACL acl = nullptr;
        ASSERT_EQ(0u, SetEntriesInAclA(2, entries, nullptr, &acl));
        const DWORD status =
            SetSecurityInfo(key.get(), SE_REGISTRY_KEY,
                            DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                            nullptr, nullptr, acl, nullptr);
        LocalFree(acl);
        ASSERT_EQ(0u, status);
        denied_.push_back(relative);
    }

private:
    static std::string uniquePath() {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string path = std::string("Software\\QuillmereTest\\") + test->test_suite_name() +
                           "." + test->name() + "." + std::to_string(GetCurrentProcessId());
        for (char& c : path)
            if (c == '/')
                c = '_';
        return path;
    }

    void restoreAccess(const std::string& relative) const {
        base::unique_hkey key;
        if (RegOpenKeyExA(root_, path(relative).c_str(), 0, WRITE_DAC, key.put()) == 0)
            SetSecurityInfo(key.get(), SE_REGISTRY_KEY,
                            DACL_SECURITY_INFORMATION | UNPROTECTED_DACL_SECURITY_INFORMATION,
                            nullptr, nullptr, nullptr, nullptr);
    }

    HKEY root_;
    std::string path_;
    std::vector<std::string> denied_;
};

// A Registry pointed at a fresh scratch key under HKEY_CURRENT_USER.
class RegistryTest : public ::testing::Test {
protected:
    RegistryTest() {
        registry.KeyClass(scratch.keyClass());
        registry.KeyName(scratch.path());
    }

    ScratchKey scratch;
    Registry registry;
};

// The error `action` raises; a test failure when it raises none.
template <typename Action>
RegistryError raisedBy(Action&& action) {
    try {
        action();
    } catch (const RegistryError& error) {
        return error;
    }
    ADD_FAILURE() << "no RegistryError was raised";
    return RegistryError(0, "", "");
}

// Wine reuses handle values, so a handle left open shows as a fresh key's
// handle value growing.
inline std::uintptr_t freshHandleValue() {
    base::unique_hkey key;
    EXPECT_EQ(0, RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_QUERY_VALUE, key.put()));
    return reinterpret_cast<std::uintptr_t>(key.get());
}
