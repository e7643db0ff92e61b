// Registry keys for a test to arrange and inspect through the plain API: a
// scratch key per test, removed afterwards, helpers to craft odd values and to
// deny access, and a Registry object pointed at a fresh scratch key.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "base/Handles.h"
#include "registry/Registry.h"

void PrintTo(const Variant& value, std::ostream* out);

namespace support {

std::int32_t keyClassOf(HKEY root);
std::vector<std::uint8_t> bytesOf(std::string_view text);

struct RawValue {
    DWORD type = 0;
    std::vector<std::uint8_t> data;
    bool operator==(const RawValue&) const = default;
};
void PrintTo(const RawValue& value, std::ostream* out);

// Keys below a root and a path (none: the root itself).
class Keys {
public:
    explicit Keys(HKEY root, std::string path = "") : root_(root), path_(std::move(path)) {}

    HKEY root() const { return root_; }
    std::int32_t keyClass() const { return keyClassOf(root_); }
    const std::string& path() const { return path_; }
    std::string path(const std::string& relative) const;

    void create(const std::string& relative) const;
    // Under an opened parent, so that long names do not hit Wine's limit on
    // a full path's length (about 260 characters).
    void createChild(const std::string& parent, const std::string& name) const;
    bool exists(const std::string& relative = "") const;
    // The status an open of the key for these rights gets.
    LSTATUS openStatus(const std::string& relative, REGSAM access) const;
    // Creates the key when it is missing.
    void set(const std::string& name, DWORD type, const std::vector<std::uint8_t>& data,
             const std::string& relative = "") const;
    std::optional<RawValue> get(const std::string& name, const std::string& relative = "") const;
    // A Registry object pointed at the key.
    Registry registryAt(const std::string& relative = "") const;

private:
    HKEY root_;
    std::string path_;
};

// Denies everyone some rights on a key for as long as it lives, then puts the
// key's own access list back, also when the case fails half-way. The handle
// it keeps was opened before the denial, so the restoring call never needs a
// right the denial took away.
class KeyDenial {
public:
    KeyDenial(HKEY root, const std::string& path, DWORD deniedRights);
    ~KeyDenial();
    KeyDenial(const KeyDenial&) = delete;
    KeyDenial& operator=(const KeyDenial&) = delete;

    bool Active() const { return active_; }

private:
    std::string path_;
    base::unique_hkey key_;
    std::vector<BYTE> original_; // the key's security descriptor with its access list
    bool active_ = false;
};

// A key of the test's own below Software\QuillmereTest, removed with its tree.
class ScratchKey : public Keys {
public:
    explicit ScratchKey(HKEY root = HKEY_CURRENT_USER) : ScratchKey(root, PathForThisTest()) {}
    // At a path of the caller's choice: long names need a short parent path.
    ScratchKey(HKEY root, std::string path);
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    // Until the scratch key is removed.
    void deny(const std::string& relative, DWORD access);

    // Named after the running test and process, so that no two runs share it.
    static std::string PathForThisTest();

private:
    std::vector<std::unique_ptr<KeyDenial>> denials_;
};

// A Registry pointed at a fresh scratch key under HKEY_CURRENT_USER.
class RegistryTest : public ::testing::Test {
protected:
    ScratchKey scratch;
    Registry registry = scratch.registryAt();
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

// Creates and releases the shell object whose RegWrite the Registry calls;
// the outcome of the creation.
HRESULT createShellObject();

// Wine reuses handle values, so a handle left open shows as a fresh key's
// handle value growing.
std::uintptr_t freshHandleValue();

} // namespace support
