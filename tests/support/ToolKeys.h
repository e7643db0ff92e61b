// The three tool keys below HKEY_LOCAL_MACHINE as a plain reader and writer
// see them; HKEY_LOCAL_MACHINE of this process redirected to a scratch key, so
// that no case changes the machine's own keys; and a snapshot of a key's tree
// (values, sub-keys, access lists) to put a machine's keys back exactly.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "ScratchKey.h"

namespace support {

// HKEY_LOCAL_MACHINE, through this process's view of it.
inline const Keys LocalMachine(HKEY_LOCAL_MACHINE);

const char* keyOf(int row);
void removeToolKeys();
// Stores the bytes as they are: a text needs its terminator spelled out.
void store(const std::string& path, DWORD type, const std::string& data, const char* name = "");
void storeText(int row, DWORD type, const std::string& text);
// A number's bytes in the machine's order, as REG_DWORD holds them.
std::string bytesOfNumber(DWORD number);
std::string expanded(const std::string& text);

struct Stored {
    DWORD type;
    std::string text; // without its terminator
    bool operator==(const Stored&) const = default;
};
void PrintTo(const Stored& value, std::ostream* out);

// The row's unnamed value as text; nullopt when the key or the value is
// missing.
std::optional<Stored> storedValue(int row);

// A key with everything below it, as the registry holds it.
struct KeyContents {
    std::wstring name;
    std::vector<BYTE> security; // self-relative, with the access list only
    std::vector<std::pair<std::wstring, RawValue>> values;
    std::vector<KeyContents> subkeys;
    bool operator==(const KeyContents&) const = default;
};
// HKEY_LOCAL_MACHINE, for this process, is a fresh scratch key below
// HKEY_CURRENT_USER for as long as this lives: whatever the process writes
// below it, the shell object's RegWrite included (it runs in-process), lands
// there. Other processes still see the machine's own keys.
class RedirectedMachine {
public:
    RedirectedMachine();
    ~RedirectedMachine();
    RedirectedMachine(const RedirectedMachine&) = delete;
    RedirectedMachine& operator=(const RedirectedMachine&) = delete;

    bool Active() const { return active_; }
    // Where a path below HKEY_LOCAL_MACHINE really is, for another process.
    std::string RealPath(const std::string& machinePath) const;
    // The scratch key that stands for HKEY_LOCAL_MACHINE.
    const ScratchKey& Scratch() const { return scratch_; }
    // The machine's own key at a path below HKEY_LOCAL_MACHINE\SOFTWARE, read
    // through a handle opened before the redirection.
    std::optional<KeyContents> MachineKey(const std::string& path) const;

private:
    ScratchKey scratch_;
    base::unique_hkey machineSoftware_;
    base::unique_hkey target_;
    bool active_ = false;
};

// nullopt for a missing key.
std::optional<KeyContents> snapshotKey(HKEY root, const std::string& path);
// Deletes the key with its tree and builds it again from the snapshot.
void restoreKey(HKEY root, const std::string& path, const std::optional<KeyContents>& snapshot);
// Its access list in the system's notation, its values and its sub-keys.
void PrintTo(const KeyContents& key, std::ostream* out);

} // namespace support
