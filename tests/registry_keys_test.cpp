// Registry's object state and key operations against the real registry.
#include "registry/KeyWatch.h"
#include "support/ScratchKey.h"

namespace {

using namespace support;

constexpr const char* source = "registry_keys_test.Registry";

TEST(RegistryObject, FreshObjectHasNoValidRoot) {
    Registry registry;
    EXPECT_EQ(0, registry.KeyClass());
    EXPECT_EQ("", registry.KeyName());
    EXPECT_EQ("", registry.ValueName());
    EXPECT_EQ(0, registry.ValueType());
    EXPECT_TRUE(registry.Default().isEmpty());

    EXPECT_EQ(1, registry.KeyExists());
    registry.KeyName("\\Leading\\and trailing\\");
    EXPECT_EQ("\\Leading\\and trailing\\", registry.KeyName());
    registry.KeyName("Software\\QuillmereTest\\Fresh");
    const RegistryError error = raisedBy([&] { registry.CreateKey(); });
    EXPECT_EQ(26001, error.Number());
    EXPECT_EQ(source, error.Source());
    EXPECT_EQ("Failed to create registry Key: 'Software\\QuillmereTest\\Fresh",
              error.Description());
}

TEST_F(RegistryTest, KeyExistsIsZeroForPresentAndOneOtherwise) {
    scratch.create("Present");
    scratch.create("Unreadable");
    scratch.deny("Unreadable", KEY_QUERY_VALUE);

    EXPECT_EQ(0, registry.KeyExists());
    registry.KeyName(scratch.path("Present"));
    EXPECT_EQ(0, registry.KeyExists());
    registry.KeyName(scratch.path("Missing"));
    EXPECT_EQ(1, registry.KeyExists());
    registry.KeyName(scratch.path("Unreadable"));
    EXPECT_EQ(1, registry.KeyExists());
}

TEST_F(RegistryTest, CreateKeyMakesTheWholePathAndLeavesExistingKeysAlone) {
    registry.KeyName(scratch.path("A\\B\\C"));
    EXPECT_EQ(True, registry.CreateKey());
    EXPECT_TRUE(scratch.exists("A\\B\\C"));

    scratch.set("kept", REG_SZ, bytesOf(std::string("x\0", 2)), "A\\B\\C");
    EXPECT_EQ(True, registry.CreateKey());
    EXPECT_EQ((RawValue{REG_SZ, bytesOf(std::string("x\0", 2))}), scratch.get("kept", "A\\B\\C"));
}

TEST_F(RegistryTest, CreateKeyFailureRaises26001WithThePath) {
    // Wine and Windows refuse a sub-key path that starts with a backslash.
    const std::string name = "\\" + scratch.path("X");
    registry.KeyName(name);
    const RegistryError error = raisedBy([&] { registry.CreateKey(); });
    EXPECT_EQ(26001, error.Number());
    EXPECT_EQ(source, error.Source());
    EXPECT_EQ("Failed to create registry Key: '" + name, error.Description());
    EXPECT_EQ(name, registry.KeyName());
}

TEST(RegistryLocalMachine, CreateKeyWithoutTheRightToOpenItRaises) {
    ScratchKey scratch(HKEY_LOCAL_MACHINE);
    scratch.deny("", KEY_SET_VALUE);
    Registry registry = scratch.registryAt();
    const RegistryError error = raisedBy([&] { registry.CreateKey(); });
    EXPECT_EQ(26001, error.Number());
    EXPECT_EQ("Failed to create registry Key: '" + scratch.path(), error.Description());
}

TEST_F(RegistryTest, DeleteKeyDeletesOnlyPresentLeafKeysAndIsAlwaysFalse) {
    scratch.create("Leaf");
    scratch.create("Parent\\Child");

    registry.KeyName(scratch.path("Leaf"));
    EXPECT_EQ(False, registry.DeleteKey());
    EXPECT_FALSE(scratch.exists("Leaf"));

    registry.KeyName(scratch.path("Missing"));
    EXPECT_EQ(False, registry.DeleteKey());

    registry.KeyName(scratch.path("Parent"));
    EXPECT_EQ(False, registry.DeleteKey());
    EXPECT_TRUE(scratch.exists("Parent\\Child"));
}

TEST_F(RegistryTest, DeleteValueRemovesNamedAndUnnamedValues) {
    scratch.set("named", REG_DWORD, {1, 0, 0, 0});
    scratch.set("", REG_SZ, bytesOf(std::string("d\0", 2)));
    scratch.set("other", REG_DWORD, {2, 0, 0, 0});

    registry.ValueName("named");
    EXPECT_EQ(True, registry.DeleteValue());
    EXPECT_FALSE(scratch.get("named"));
    registry.ValueName("");
    EXPECT_EQ(True, registry.DeleteValue());
    EXPECT_FALSE(scratch.get(""));
    EXPECT_TRUE(scratch.get("other"));
}

TEST_F(RegistryTest, DeleteValueOfAMissingValueRaises26001) {
    registry.ValueName("missing");
    RegistryError error = raisedBy([&] { registry.DeleteValue(); });
    EXPECT_EQ(26001, error.Number());
    EXPECT_EQ(source, error.Source());
    EXPECT_EQ("Failed to delete registry Key: '-2147483647',Section: '" + scratch.path() +
                  "',Key: 'missing",
              error.Description());

    registry.ValueName("");
    error = raisedBy([&] { registry.DeleteValue(); });
    EXPECT_EQ("Failed to delete registry Key: '-2147483647',Section: '" + scratch.path() +
                  "',Key: '",
              error.Description());
}

TEST(RegistryLocalMachine, DeleteValueOfAMissingKeyRaisesTheOpenFailure) {
    ScratchKey scratch(HKEY_LOCAL_MACHINE);
    Registry registry = scratch.registryAt("Missing");
    const RegistryError error = raisedBy([&] { registry.DeleteValue(); });
    EXPECT_EQ(26001, error.Number());
    EXPECT_EQ(source, error.Source());
    EXPECT_EQ("Failed to open key '-2147483646',Section: '" + scratch.path("Missing") +
                  "' for delete access",
              error.Description());
}

TEST_F(RegistryTest, NoKeyStaysOpenAfterSucceedingOrFailingOperations) {
    scratch.create("Sub\\Deeper");
    // The first SetDefault loads the shell object and COM's caches, which keep
    // handles of their own for the process's life: measure after it.
    registry.SetDefault();
    const std::uintptr_t before = freshHandleValue();
    for (int round = 0; round < 20; ++round) {
        registry.KeyName(scratch.path("Sub"));
        registry.KeyExists();
        registry.CreateKey();
        registry.DeleteKey();
        registry.ValueName("v");
        registry.ValueType(REG_SZ);
        registry.ValueData(Variant("text"));
        registry.ValueData();
        registry.SetDefault();
        registry.DeleteValue();
        EXPECT_THROW(registry.DeleteValue(), RegistryError);
        registry.ValueType(REG_BINARY);
        EXPECT_THROW(registry.ValueData(Variant("not bytes")), RegistryError);
        StringArray names;
        std::int32_t count = 0;
        registry.EnumerateKeys(names, count);
        registry.EnumerateValues(names, count);
        registry.ValueName(std::string(20000, 'n'));
        EXPECT_THROW(registry.ValueData(Variant("refused")), RegistryError);
        registry.KeyName("\\" + scratch.path("Sub"));
        EXPECT_THROW(registry.CreateKey(), RegistryError);
        EXPECT_THROW(registry.DeleteValue(), RegistryError);
        registry.KeyExists();
    }
    EXPECT_LE(freshHandleValue(), before);
}

// A watch stands in for its absent key with an ancestor no higher than it is
// told: above, it fails and sees nothing, until the key is there again.
TEST_F(RegistryTest, KeyWatchStopsAtItsHighestKeyAndFollowsTheKeyBack) {
    KeyWatch watch(HKEY_CURRENT_USER, scratch.path("Top\\Watched"), scratch.path("Top"));
    ASSERT_TRUE(watch.Event());
    EXPECT_FALSE(watch.Arm());
    scratch.create("Beside");
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(watch.Event(), 200));

    scratch.create("Top");
    ASSERT_TRUE(watch.Arm());
    scratch.create("Top\\Watched\\Below");
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(watch.Event(), 2000));
}

} // namespace
