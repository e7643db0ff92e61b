// Listing subkeys and values, and deleting a key with its subtree. The
// registry promises no listing order, so names are compared as sets.
#include "support/ScratchKey.h"

#include <set>

namespace {

using namespace support;
using Names = std::set<std::string>;

Names asSet(const StringArray& names) {
    return {names.elements.begin(), names.elements.end()};
}

class Listing : public RegistryTest {
protected:
    StringArray names{1, {"stale", "entries"}};
    std::int32_t count = -1;
};

TEST_F(Listing, EnumerateKeysListsDirectSubkeysFromIndexOne) {
    for (const char* key : {"A", "B\\Below", "C"})
        scratch.create(key);
    EXPECT_EQ(True, registry.EnumerateKeys(names, count));
    EXPECT_EQ(3, count);
    EXPECT_EQ(1, names.lowerBound);
    EXPECT_EQ(3, names.count());
    EXPECT_EQ((Names{"A", "B", "C"}), asSet(names));
}

TEST_F(Listing, EnumerateKeysFitsTheLongestLegalName) {
    const std::string longest(255, 'k');
    scratch.createChild("", longest);
    scratch.create("short");
    EXPECT_EQ(True, registry.EnumerateKeys(names, count));
    EXPECT_EQ(2, count);
    EXPECT_EQ((Names{longest, "short"}), asSet(names));
}

TEST_F(Listing, EnumerateValuesListsNamesWithTheUnnamedValueAsEmpty) {
    scratch.set("", REG_SZ, bytesOf(std::string("d\0", 2)));
    scratch.set("first", REG_DWORD, {1, 0, 0, 0});
    scratch.set(std::string(300, 'v'), REG_BINARY, {});
    scratch.create("NotAValue");
    EXPECT_EQ(True, registry.EnumerateValues(names, count));
    EXPECT_EQ(3, count);
    EXPECT_EQ(1, names.lowerBound);
    EXPECT_EQ((Names{"", "first", std::string(300, 'v')}), asSet(names));
}

TEST_F(Listing, MissingEmptyOrUnlistableKeysGiveNoNames) {
    scratch.create("Empty");
    scratch.create("Unlistable\\Child");
    scratch.deny("Unlistable", KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE);
    for (const char* key : {"Missing", "Empty", "Unlistable"}) {
        registry.KeyName(scratch.path(key));
        names = StringArray{1, {"stale"}};
        count = -1;
        EXPECT_EQ(True, registry.EnumerateKeys(names, count)) << key;
        EXPECT_EQ(0, count);
        EXPECT_TRUE(names.empty());
        names = StringArray{1, {"stale"}};
        count = -1;
        EXPECT_EQ(True, registry.EnumerateValues(names, count)) << key;
        EXPECT_EQ(0, count);
        EXPECT_TRUE(names.empty());
    }
}

TEST_F(RegistryTest, DleteKeyAndSubKeysRemovesTheWholeTree) {
    // Deleting A's subkeys before A and the key itself last is the only order
    // the registry accepts: it refuses to delete a key that has subkeys.
    for (const char* key : {"A\\A1", "A\\A2\\Deep", "B"})
        scratch.create(key);
    scratch.set("value", REG_SZ, bytesOf(std::string("x\0", 2)), "A\\A1");
    registry.DleteKeyAndSubKeys();
    EXPECT_FALSE(scratch.exists());
}

TEST_F(RegistryTest, DleteKeyAndSubKeysCollectsALevelBeforeDeletingIt) {
    // Deleting while enumerating by index would skip every other sibling.
    for (int i = 0; i < 12; ++i)
        scratch.create("Sibling" + std::to_string(i) + "\\Child");
    registry.DleteKeyAndSubKeys();
    EXPECT_FALSE(scratch.exists());
}

TEST(RegistryDeletion, DleteKeyAndSubKeysRemovesTheLongestLegalName) {
    ScratchKey scratch(HKEY_CURRENT_USER, "Q");
    const std::string longest(255, 'z');
    scratch.createChild("", longest);
    ASSERT_TRUE(scratch.exists(longest)) << "the full path must be addressable";
    Registry registry = scratch.registryAt();
    registry.DleteKeyAndSubKeys();
    EXPECT_FALSE(scratch.exists());
}

TEST_F(RegistryTest, DleteKeyAndSubKeysOnAKeyWithoutSubkeysOrAMissingKey) {
    scratch.create("Leaf");
    registry.KeyName(scratch.path("Leaf"));
    registry.DleteKeyAndSubKeys();
    EXPECT_FALSE(scratch.exists("Leaf"));
    registry.KeyName(scratch.path("Missing"));
    EXPECT_NO_THROW(registry.DleteKeyAndSubKeys());
    EXPECT_TRUE(scratch.exists());
}

TEST_F(RegistryTest, DleteKeyAndSubKeysLeavesWhatItMayNotDeleteSilently) {
    // A1 cannot be seen and A2 cannot be listed: both stay, and so do their
    // parents; everything else goes.
    for (const char* key : {"A\\A1", "A\\A2\\Hidden", "A\\A3", "B"})
        scratch.create(key);
    scratch.deny("A\\A1", KEY_QUERY_VALUE);
    scratch.deny("A\\A2", KEY_ENUMERATE_SUB_KEYS);
    EXPECT_NO_THROW(registry.DleteKeyAndSubKeys());
    EXPECT_TRUE(scratch.exists("A\\A1"));
    EXPECT_TRUE(scratch.exists("A\\A2\\Hidden"));
    EXPECT_FALSE(scratch.exists("A\\A3"));
    EXPECT_FALSE(scratch.exists("B"));
    EXPECT_TRUE(scratch.exists());
}

TEST(RegistryLocalMachine, DleteKeyAndSubKeysUnderLocalMachine) {
    ScratchKey scratch(HKEY_LOCAL_MACHINE);
    scratch.create("A\\A1");
    scratch.create("B");
    Registry registry = scratch.registryAt();
    const std::uintptr_t before = freshHandleValue();
    registry.DleteKeyAndSubKeys();
    EXPECT_FALSE(scratch.exists());
    EXPECT_LE(freshHandleValue(), before);
}

} // namespace
