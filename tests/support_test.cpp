// The test support that guards the machine: the redirection of
// HKEY_LOCAL_MACHINE, and the snapshot that puts a key's tree back exactly.
#include <gtest/gtest.h>

#include "support/ToolKeys.h"

using namespace support;
using namespace std::string_literals;

TEST(RedirectedMachine, SendsThisProcesssWritesToItsScratchKeyOnly) {
    const std::string path = "SOFTWARE\\QuillmereRedirected";
    {
        RedirectedMachine machine;
        ASSERT_TRUE(machine.Active());
        Keys(HKEY_LOCAL_MACHINE).set("v", REG_SZ, bytesOf("here\0"s), path);
        EXPECT_EQ((RawValue{REG_SZ, bytesOf("here\0"s)}), machine.Scratch().get("v", path));
        EXPECT_EQ(std::nullopt, machine.MachineKey(path)) << "the machine's own key";
        EXPECT_EQ("HKEY_CURRENT_USER\\" + machine.Scratch().path() + "\\" + path,
                  machine.RealPath(path));
    }
    EXPECT_FALSE(Keys(HKEY_LOCAL_MACHINE).exists(path)) << "the machine's own key, afterwards";
}

TEST(KeySnapshot, RestoresValuesSubKeysAndAccessListsExactly) {
    const ScratchKey scratch;
    const std::string tree = scratch.path("Tree");
    scratch.set("", REG_EXPAND_SZ, bytesOf("%SystemRoot%\\x\0"s), "Tree");
    scratch.set("\xC3\xA9t\xC3\xA9", REG_BINARY, {}, "Tree");
    scratch.set("number", REG_DWORD, {7, 0, 0, 0}, "Tree\\A\\Deeper");
    scratch.set("list", REG_MULTI_SZ, bytesOf("one\0two\0\0"s), "Tree\\B");
    scratch.create("Tree\\Locked");
    std::optional<KeyContents> snapshot;
    {
        const KeyDenial denial(scratch.root(), scratch.path("Tree\\Locked"), KEY_CREATE_LINK);
        ASSERT_TRUE(denial.Active());
        snapshot = snapshotKey(scratch.root(), tree);
    }
    ASSERT_TRUE(snapshot.has_value());
    EXPECT_EQ(2u, snapshot->values.size());
    EXPECT_EQ(3u, snapshot->subkeys.size());
    EXPECT_NE(snapshot, snapshotKey(scratch.root(), tree)) << "the denial is lifted";

    RegDeleteTreeA(scratch.root(), scratch.path("Tree\\A").c_str());
    scratch.set("number", REG_DWORD, {8, 0, 0, 0}, "Tree\\B");
    scratch.create("Tree\\New");
    EXPECT_NE(snapshot, snapshotKey(scratch.root(), tree));

    restoreKey(scratch.root(), tree, snapshot);
    EXPECT_EQ(snapshot, snapshotKey(scratch.root(), tree));
    EXPECT_EQ((RawValue{REG_DWORD, {7, 0, 0, 0}}), scratch.get("number", "Tree\\A\\Deeper"));
    EXPECT_EQ(std::nullopt, scratch.get("number", "Tree\\B"));
    EXPECT_FALSE(scratch.exists("Tree\\New"));
    EXPECT_EQ(ERROR_ACCESS_DENIED, scratch.openStatus("Tree\\Locked", KEY_CREATE_LINK))
        << "the denial is back";
    EXPECT_EQ(ERROR_SUCCESS, scratch.openStatus("Tree\\Locked", KEY_READ));
}

TEST(KeySnapshot, RestoresAMissingKeyAsMissing) {
    const ScratchKey scratch;
    const std::optional<KeyContents> missing = snapshotKey(scratch.root(), scratch.path("Gone"));
    EXPECT_EQ(std::nullopt, missing);
    scratch.create("Gone\\Below");
    EXPECT_NE(missing, snapshotKey(scratch.root(), scratch.path("Gone")));
    restoreKey(scratch.root(), scratch.path("Gone"), missing);
    EXPECT_FALSE(scratch.exists("Gone"));
    EXPECT_EQ(missing, snapshotKey(scratch.root(), scratch.path("Gone")));
}
