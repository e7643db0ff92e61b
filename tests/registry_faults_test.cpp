// The Registry class under odd data, odd names and roots, deep and wide trees,
// symbolic links, a value rewritten while it is read, and long runs of
// operations that must not leak key handles.
#include "support/ScratchKey.h"
#include "support/Text.h"

#include "registry/NtDeleteKey.h"

#include <sddl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <set>
#include <stdexcept>
#include <system_error>

namespace {

using namespace std::string_literals;
using namespace support;

constexpr const char* source = "registry_faults_test.Registry";

using unique_local_text = base::unique_any<char*, decltype(&::LocalFree), ::LocalFree>;

// Wine's RegOpenKeyExA takes full paths of at most 260 characters; a short
// scratch parent leaves room for a 255-character name below it.
const std::string shortParent = "QF";

std::string setFailure(std::int32_t keyClass, const std::string& keyName,
                       const std::string& valueName, const std::string& value) {
    return "Failed to set registry ValueData Key: '" + std::to_string(keyClass) + "',Section: '" +
           keyName + "',Key: '" + valueName + "' to ValueData: '" + value + "'";
}

// Data that cover every byte value but 0, so that a byte lost or shifted shows.
std::vector<std::uint8_t> pattern(std::size_t size) {
    std::vector<std::uint8_t> data(size);
    for (std::size_t i = 0; i < size; ++i)
        data[i] = static_cast<std::uint8_t>(1 + (i * 7) % 255);
    return data;
}

// The first four bytes as stored, most significant first; missing bytes are 0.
std::int32_t bigEndian(const std::vector<std::uint8_t>& data) {
    std::uint32_t number = 0;
    for (std::size_t i = 0; i < 4; ++i)
        number = (number << 8) | (i < data.size() ? data[i] : 0u);
    return static_cast<std::int32_t>(number);
}

// Compares without printing a megabyte of data when they differ.
::testing::AssertionResult sameValue(const Variant& expected, const Variant& actual) {
    if (expected == actual)
        return ::testing::AssertionSuccess();
    const auto brief = [](const Variant& value) {
        const std::string text = value.toText();
        return "kind " + std::to_string(static_cast<int>(value.kind())) + ", text of " +
               std::to_string(text.size()) + " characters starting \"" + text.substr(0, 40) + "\"";
    };
    return ::testing::AssertionFailure()
           << "expected " << brief(expected) << "; got " << brief(actual);
}

// ---------------------------------------------------------------------------
// Every type code and data size through the getter

class ValueDataOddData : public RegistryTest {
protected:
    ValueDataOddData() {
        registry.ValueName("v");
        registry.Default(Variant("unreadable"));
    }

    Variant read(DWORD type, const std::vector<std::uint8_t>& data) {
        scratch.set("v", type, data);
        return registry.ValueData();
    }
};

const std::size_t oddSizes[] = {0, 1, 2, 3, 4, 5, 8, 255, 256, 1u << 20};

TEST_F(ValueDataOddData, EveryByteArrayTypeGivesItsDataAndOneZeroMore) {
    const DWORD types[] = {0, 3, 6, 8, 9, 10, 11, 12, 13, 0x7FFFFFFF, 0xFFFFFFFF};
    for (DWORD type : types) {
        for (std::size_t size : oddSizes) {
            const auto data = pattern(size);
            auto expected = data;
            expected.push_back(0);
            EXPECT_TRUE(sameValue(Variant(ByteArray{0, expected}), read(type, data)))
                << "type " << type << " size " << size;
            EXPECT_EQ(static_cast<std::int32_t>(type), registry.ValueType());
        }
    }
}

TEST_F(ValueDataOddData, DwordsOfEverySizeTakeAtMostFourBytes) {
    for (std::size_t size : oddSizes) {
        const auto data = pattern(size);
        EXPECT_EQ(Variant(littleEndian(data)), read(REG_DWORD, data)) << size;
        EXPECT_EQ(REG_DWORD, registry.ValueType());
        EXPECT_EQ(Variant(bigEndian(data)), read(REG_DWORD_BIG_ENDIAN, data)) << size;
        EXPECT_EQ(REG_DWORD_BIG_ENDIAN, registry.ValueType());
    }
}

TEST_F(ValueDataOddData, UnterminatedStringsOfEverySizeLoseOnlyTheLastReportedByte) {
    // Wine adds a terminator to string data stored without one; Windows does
    // not. Either way the getter drops the last byte the registry reports
    // (letters hold no reference, so expansion changes nothing).
    for (DWORD type : {REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ}) {
        for (std::size_t size : oddSizes) {
            const std::string text = letters(size);
            const Variant value = read(type, bytesOf(text));
            const auto reported = scratch.get("v")->data;
            ASSERT_LE(size, reported.size());
            const std::string expected =
                reported.empty() ? "" : std::string(reported.begin(), reported.end() - 1);
            EXPECT_TRUE(sameValue(Variant(expected), value)) << "type " << type << " size " << size;
            // What the registry reported starts with the data, whole or but its last byte.
            EXPECT_LE(size, expected.size() + 1);
            EXPECT_EQ(0, text.compare(0, expected.size(), expected));
            EXPECT_EQ(static_cast<std::int32_t>(type), registry.ValueType());
        }
    }
}

TEST_F(ValueDataOddData, TerminatedStringsOfEverySizeReadWhole) {
    for (DWORD type : {REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ}) {
        for (std::size_t size : oddSizes) {
            if (size == 0)
                continue;
            // Letters and a terminator, `size` bytes in all.
            const std::string text = letters(size - 1);
            EXPECT_TRUE(sameValue(Variant(text), read(type, bytesOf(text + '\0'))))
                << "type " << type << " size " << size;
            EXPECT_EQ(static_cast<std::int32_t>(type), registry.ValueType());
        }
    }
}

TEST_F(ValueDataOddData, EmbeddedNulsStayInTheText) {
    EXPECT_EQ(Variant("a\0b"s), read(REG_SZ, bytesOf("a\0b\0"s)));
    EXPECT_EQ(Variant("\0\0"s), read(REG_SZ, bytesOf("\0\0\0"s)));
    EXPECT_EQ(Variant("one\0two\0"s), read(REG_MULTI_SZ, bytesOf("one\0two\0\0"s)));
    EXPECT_EQ(7, registry.ValueType());
    // A REG_MULTI_SZ of one empty string: only the list's final NUL is dropped.
    EXPECT_EQ(Variant("\0"s), read(REG_MULTI_SZ, bytesOf("\0\0"s)));
    // Expansion sees the text up to its first NUL, as any C string.
    EXPECT_EQ(Variant(environment("SystemRoot")),
              read(REG_EXPAND_SZ, bytesOf("%SystemRoot%\0tail\0"s)));
}

TEST_F(ValueDataOddData, ExpandStringsBeyondWhatThePlatformExpandsRaiseInvalidArgument) {
    // ExpandEnvironmentStringsA handles at most 32K characters: under Wine a
    // longer text makes it report a wrong size and write past its buffer.
    for (std::size_t size : {std::size_t{32767}, std::size_t{40000}, std::size_t{1} << 20}) {
        std::string text = "%SystemRoot%" + letters(size - 12);
        scratch.set("v", REG_EXPAND_SZ, bytesOf(text + '\0'));
        registry.ValueType(REG_BINARY);
        const RegistryError error = raisedBy([&] { registry.ValueData(); });
        EXPECT_EQ(5, error.Number()) << size;
        EXPECT_EQ(source, error.Source());
        EXPECT_EQ("Invalid argument: environment references cannot be expanded",
                  error.Description());
        EXPECT_EQ(REG_BINARY, registry.ValueType());
    }
    // The longest text it takes still expands.
    const std::string longest = "%SystemRoot%" + letters(32766 - 12);
    EXPECT_TRUE(sameValue(Variant(environment("SystemRoot") + letters(32766 - 12)),
                          read(REG_EXPAND_SZ, bytesOf(longest + '\0'))));
}

TEST_F(ValueDataOddData, ExpansionsThatOutgrowThePlatformGiveAllOrRaiseInvalidArgument) {
    // Short text, long result: Wine then reports the full size but fills only
    // the first 32K characters. The getter gives the whole expansion or error 5,
    // never the part with NULs after it.
    ASSERT_TRUE(SetEnvironmentVariableA("QuillmereLong", letters(1000).c_str()));
    for (int references : {20, 40, 70}) {
        std::string text;
        std::string expected;
        for (int i = 0; i < references; ++i) {
            text += "%QuillmereLong%";
            expected += letters(1000);
        }
        scratch.set("v", REG_EXPAND_SZ, bytesOf(text + '\0'));
        try {
            EXPECT_TRUE(sameValue(Variant(expected), registry.ValueData())) << references;
        } catch (const RegistryError& error) {
            EXPECT_LT(20, references) << "an expansion within the limit must succeed";
            EXPECT_EQ(5, error.Number());
            EXPECT_EQ(source, error.Source());
            EXPECT_EQ("Invalid argument: environment references cannot be expanded",
                      error.Description());
            std::printf("An expansion to %d characters raised error 5\n", references * 1000);
        }
    }
    SetEnvironmentVariableA("QuillmereLong", nullptr);
}

// ---------------------------------------------------------------------------
// Key names and paths

TEST(RegistryKeyNames, NamesOfOneTo255CharactersWorkThroughEveryOperation) {
    ScratchKey scratch(HKEY_CURRENT_USER, shortParent);
    Registry registry = scratch.registryAt();
    registry.ValueName("v");
    registry.ValueType(REG_SZ);
    for (std::size_t length = 1; length <= 255; ++length) {
        const std::string name =
            std::string(length - 1, 'n') + static_cast<char>('a' + length % 26);
        scratch.createChild("", name);
        registry.KeyName(scratch.path(name));
        ASSERT_EQ(0, registry.KeyExists()) << length;
        registry.ValueData(Variant(std::to_string(length)));
        EXPECT_EQ(Variant(std::to_string(length)), registry.ValueData()) << length;
        EXPECT_EQ(True, registry.CreateKey());
    }
    StringArray names;
    std::int32_t count = 0;
    registry.KeyName(scratch.path());
    EXPECT_EQ(True, registry.EnumerateKeys(names, count));
    EXPECT_EQ(255, count);
    std::set<std::size_t> lengths;
    for (const std::string& name : names.elements) {
        lengths.insert(name.size());
        EXPECT_EQ((RawValue{REG_SZ, bytesOf(std::to_string(name.size()) + '\0')}),
                  scratch.get("v", name));
    }
    EXPECT_EQ(255u, lengths.size());
    registry.DleteKeyAndSubKeys();
    EXPECT_FALSE(scratch.exists());
}

// The outcome of every operation for one KeyName or KeyClass that the
// registry refuses: nothing is touched, and each operation fails its own way.
void expectRefusedEverywhere(Registry& registry, const ScratchKey& scratch) {
    const std::int32_t keyClass = registry.KeyClass();
    const std::string keyName = registry.KeyName();
    const auto context = ::testing::Message() << "KeyClass " << keyClass << " KeyName " << keyName;

    EXPECT_EQ(1, registry.KeyExists()) << context;

    registry.ValueName("v");
    registry.Default(Variant("fallback"));
    registry.ValueType(REG_DWORD);
    EXPECT_EQ(Variant("fallback"), registry.ValueData()) << context;
    EXPECT_EQ(REG_DWORD, registry.ValueType());

    registry.ValueType(REG_SZ);
    RegistryError error = raisedBy([&] { registry.ValueData(Variant("x")); });
    EXPECT_EQ(26001, error.Number()) << context;
    EXPECT_EQ(source, error.Source());
    EXPECT_EQ(setFailure(keyClass, keyName, "v", "x"), error.Description());

    error = raisedBy([&] { registry.CreateKey(); });
    EXPECT_EQ(26001, error.Number()) << context;
    EXPECT_EQ("Failed to create registry Key: '" + keyName, error.Description());

    error = raisedBy([&] { registry.DeleteValue(); });
    EXPECT_EQ(26001, error.Number()) << context;
    EXPECT_EQ("Failed to open key '" + std::to_string(keyClass) + "',Section: '" + keyName +
                  "' for delete access",
              error.Description());

    StringArray names{1, {"stale"}};
    std::int32_t count = -1;
    EXPECT_EQ(True, registry.EnumerateKeys(names, count)) << context;
    EXPECT_EQ(0, count);
    EXPECT_TRUE(names.empty());
    names = StringArray{1, {"stale"}};
    count = -1;
    EXPECT_EQ(True, registry.EnumerateValues(names, count)) << context;
    EXPECT_EQ(0, count);
    EXPECT_TRUE(names.empty());

    EXPECT_EQ(False, registry.DeleteKey()) << context;
    EXPECT_NO_THROW(registry.DleteKeyAndSubKeys()) << context;
    EXPECT_TRUE(scratch.exists("Sub\\Leaf")) << context;
    EXPECT_EQ((RawValue{REG_SZ, bytesOf("kept\0"s)}), scratch.get("v")) << context;
}

TEST_F(RegistryTest, LeadingBackslashesAreRefusedByEveryOperation) {
    scratch.create("Sub\\Leaf");
    scratch.set("v", REG_SZ, bytesOf("kept\0"s));
    for (const std::string& name :
         {"\\" + scratch.path(), "\\" + scratch.path() + "\\", "\\\\" + scratch.path()}) {
        registry.KeyName(name);
        expectRefusedEverywhere(registry, scratch);
        EXPECT_EQ(name, registry.KeyName());
    }
}

TEST_F(RegistryTest, InvalidRootsAreRefusedByEveryOperation) {
    scratch.create("Sub\\Leaf");
    scratch.set("v", REG_SZ, bytesOf("kept\0"s));
    const std::int32_t roots[] = {0, 12345, 0x7FFFFFFF, -1, static_cast<std::int32_t>(0x80000010u)};
    for (std::int32_t root : roots) {
        registry.KeyClass(root);
        registry.KeyName(scratch.path());
        expectRefusedEverywhere(registry, scratch);
        EXPECT_EQ(root, registry.KeyClass());
    }
}

TEST_F(RegistryTest, TrailingBackslashesAddressTheSameKey) {
    scratch.create("Sub\\Leaf");
    scratch.set("v", REG_SZ, bytesOf("kept\0"s));
    registry.ValueName("v");
    registry.KeyName(scratch.path() + "\\");
    EXPECT_EQ(0, registry.KeyExists());
    EXPECT_EQ(Variant("kept"), registry.ValueData());
    EXPECT_EQ(REG_SZ, registry.ValueType());
    registry.ValueData(Variant("new"));
    EXPECT_EQ((RawValue{REG_SZ, bytesOf("new\0"s)}), scratch.get("v"));
    StringArray names;
    std::int32_t count = 0;
    registry.EnumerateKeys(names, count);
    EXPECT_EQ(1, count);
    EXPECT_EQ("Sub", names[1]);

    registry.KeyName(scratch.path("Sub") + "\\");
    registry.DleteKeyAndSubKeys();
    EXPECT_FALSE(scratch.exists("Sub"));
    EXPECT_TRUE(scratch.exists());
}

// ---------------------------------------------------------------------------
// Deep and wide trees

TEST_F(RegistryTest, DleteKeyAndSubKeysRemovesATreeOfTwentyLevels) {
    std::string path;
    for (int level = 0; level < 20; ++level) {
        path += (level == 0 ? "" : "\\") + ("L" + std::to_string(level));
        scratch.create(path);
        scratch.create(path + "_side");
        scratch.set("depth", REG_DWORD, {static_cast<std::uint8_t>(level), 0, 0, 0}, path);
    }
    ASSERT_TRUE(scratch.exists(path));
    registry.DleteKeyAndSubKeys();
    EXPECT_FALSE(scratch.exists());
}

TEST_F(RegistryTest, DleteKeyAndSubKeysRemovesTenThousandSubkeys) {
    {
        base::unique_hkey parent;
        ASSERT_EQ(0, RegOpenKeyExA(scratch.root(), scratch.path().c_str(), 0, KEY_ALL_ACCESS,
                                   parent.put()));
        for (int i = 0; i < 10000; ++i) {
            base::unique_hkey child;
            ASSERT_EQ(0,
                      RegCreateKeyExA(parent.get(), ("K" + std::to_string(i)).c_str(), 0, nullptr,
                                      0, KEY_ALL_ACCESS, nullptr, child.put(), nullptr));
            if (i % 1000 == 0) {
                base::unique_hkey grandchild;
                ASSERT_EQ(0, RegCreateKeyExA(child.get(), "Below", 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, grandchild.put(), nullptr));
            }
        }
    }
    StringArray names;
    std::int32_t count = 0;
    registry.EnumerateKeys(names, count);
    ASSERT_EQ(10000, count);

    const auto start = std::chrono::steady_clock::now();
    registry.DleteKeyAndSubKeys();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("DleteKeyAndSubKeys of 10,010 keys: %.2f s\n", took.count());
    EXPECT_FALSE(scratch.exists());
}

// ---------------------------------------------------------------------------
// Symbolic links

// The registry's own name for a key, which a link's target must be given in.
std::wstring nativePath(HKEY root, const std::string& path) {
    std::string prefix;
    if (root == HKEY_LOCAL_MACHINE) {
        prefix = "\\Registry\\Machine\\";
    } else {
        base::unique_handle token;
        EXPECT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()));
        std::vector<std::uint8_t> user(256);
        DWORD size = 0;
        EXPECT_TRUE(GetTokenInformation(token.get(), TokenUser, user.data(),
                                        static_cast<DWORD>(user.size()), &size));
        unique_local_text sid;
        EXPECT_TRUE(ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid,
                                           sid.put()));
        prefix = "\\Registry\\User\\" + std::string(sid.get()) + "\\";
    }
    const std::string full = prefix + path;
    return std::wstring(full.begin(), full.end());
}

// A link is removed through a handle to the link itself; a deletion by name
// would follow it to its target.
bool deleteLink(HKEY root, const std::string& path) {
    base::unique_hkey link;
    if (RegOpenKeyExA(root, path.c_str(), REG_OPTION_OPEN_LINK, DELETE, link.put()) != 0)
        return false;
    return NtDeleteKey(link.get()) == 0;
}

bool linkExists(HKEY root, const std::string& path) {
    base::unique_hkey link;
    if (RegOpenKeyExA(root, path.c_str(), REG_OPTION_OPEN_LINK, KEY_QUERY_VALUE, link.put()) != 0)
        return false;
    DWORD type = 0;
    return RegQueryValueExA(link.get(), "SymbolicLinkValue", nullptr, &type, nullptr, nullptr) ==
               0 &&
           type == REG_LINK;
}

// A registry symbolic link, removed again when it goes out of scope.
class SymbolicLink {
public:
    SymbolicLink(HKEY root, std::string path, const std::string& targetPath)
        : root_(root), path_(std::move(path)) {
        base::unique_hkey link;
        EXPECT_EQ(0,
                  RegCreateKeyExA(root_, path_.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK,
                                  KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, link.put(), nullptr));
        // The target's name in UTF-16, without a terminator.
        const std::wstring target = nativePath(root_, targetPath);
        EXPECT_EQ(0, RegSetValueExW(link.get(), L"SymbolicLinkValue", 0, REG_LINK,
                                    reinterpret_cast<const BYTE*>(target.data()),
                                    static_cast<DWORD>(target.size() * sizeof(wchar_t))));
    }
    SymbolicLink(const SymbolicLink&) = delete;
    SymbolicLink& operator=(const SymbolicLink&) = delete;
    ~SymbolicLink() { deleteLink(root_, path_); }

private:
    HKEY root_;
    std::string path_;
};

class LinkBelowDeletedKey : public ::testing::TestWithParam<HKEY> {};

TEST_P(LinkBelowDeletedKey, DeletesTheLinkButNotItsTarget) {
    ScratchKey scratch(GetParam());
    scratch.create("Target\\T1\\Deep");
    scratch.create("Target\\T2");
    scratch.set("kept", REG_SZ, bytesOf("target value\0"s), "Target\\T1");
    scratch.create("Doomed\\Before");
    scratch.create("Doomed\\Within");
    SymbolicLink link(scratch.root(), scratch.path("Doomed\\Within\\Link"), scratch.path("Target"));
    ASSERT_TRUE(linkExists(scratch.root(), scratch.path("Doomed\\Within\\Link")));
    ASSERT_TRUE(scratch.exists("Doomed\\Within\\Link\\T1\\Deep"))
        << "the link must lead to the target";

    Registry registry = scratch.registryAt("Doomed");
    const std::uintptr_t before = freshHandleValue();
    registry.DleteKeyAndSubKeys();
    EXPECT_LE(freshHandleValue(), before);

    EXPECT_TRUE(scratch.exists("Target\\T1\\Deep"));
    EXPECT_TRUE(scratch.exists("Target\\T2"));
    EXPECT_EQ((RawValue{REG_SZ, bytesOf("target value\0"s)}), scratch.get("kept", "Target\\T1"));
    EXPECT_FALSE(linkExists(scratch.root(), scratch.path("Doomed\\Within\\Link")));
    EXPECT_FALSE(scratch.exists("Doomed"));
}

TEST_P(LinkBelowDeletedKey, ALinkAddressedItselfIsDeletedAlone) {
    ScratchKey scratch(GetParam());
    scratch.create("Target\\T1");
    SymbolicLink link(scratch.root(), scratch.path("Link"), scratch.path("Target"));

    Registry registry = scratch.registryAt("Link");
    registry.DleteKeyAndSubKeys();

    EXPECT_TRUE(scratch.exists("Target\\T1"));
    EXPECT_FALSE(linkExists(scratch.root(), scratch.path("Link")));
}

TEST_P(LinkBelowDeletedKey, ALinkToAMissingTargetIsDeletedToo) {
    ScratchKey scratch(GetParam());
    scratch.create("Doomed");
    SymbolicLink link(scratch.root(), scratch.path("Doomed\\Dangling"), scratch.path("Nowhere"));

    Registry registry = scratch.registryAt("Doomed");
    registry.DleteKeyAndSubKeys();

    EXPECT_FALSE(linkExists(scratch.root(), scratch.path("Doomed\\Dangling")));
    EXPECT_FALSE(scratch.exists("Doomed"));
    EXPECT_FALSE(scratch.exists("Nowhere"));
}

TEST_P(LinkBelowDeletedKey, ALinkToItsOwnParentEndsTheDescent) {
    ScratchKey scratch(GetParam());
    scratch.create("Doomed\\Child");
    SymbolicLink link(scratch.root(), scratch.path("Doomed\\Loop"), scratch.path("Doomed"));
    ASSERT_TRUE(scratch.exists("Doomed\\Loop\\Loop\\Child"));

    Registry registry = scratch.registryAt("Doomed");
    registry.DleteKeyAndSubKeys();

    EXPECT_FALSE(linkExists(scratch.root(), scratch.path("Doomed\\Loop")));
    EXPECT_FALSE(scratch.exists("Doomed"));
}

INSTANTIATE_TEST_SUITE_P(Roots, LinkBelowDeletedKey,
                         ::testing::Values(HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE),
                         [](const auto& info) {
                             return info.param == HKEY_CURRENT_USER ? "CurrentUser"
                                                                    : "LocalMachine";
                         });

// ---------------------------------------------------------------------------
// A value rewritten while the getter reads it

class ValueRewrittenMeanwhile : public RegistryTest {
protected:
    ValueRewrittenMeanwhile() {
        registry.ValueName("v");
        registry.Default(Variant("missing"));
        scratch.set("v", REG_SZ, bytesOf(shortText + '\0'));
    }

    // Reads the value many times while `rewrite` runs in a loop on another
    // thread; gives how often each result came back.
    template <typename Rewrite>
    std::map<std::string, int> readWhile(Rewrite rewrite) {
        struct Writer {
            const ScratchKey& scratch;
            Rewrite& rewrite;
            std::atomic<long> writes{0};
            std::atomic<bool> stop{false};

            static DWORD WINAPI run(void* parameter) {
                Writer& self = *static_cast<Writer*>(parameter);
                base::unique_hkey key;
                if (RegOpenKeyExA(self.scratch.root(), self.scratch.path().c_str(), 0,
                                  KEY_SET_VALUE, key.put()) != 0)
                    return 1;
                for (unsigned i = 0; !self.stop; ++i, ++self.writes)
                    self.rewrite(key.get(), i);
                return 0;
            }
        } writer{scratch, rewrite};
        // Stopped and joined when it goes out of scope, also when a read raises.
        struct Running {
            Writer& writer;
            base::unique_handle thread;
            ~Running() {
                writer.stop = true;
                WaitForSingleObject(thread.get(), INFINITE);
            }
        } running{writer,
                  base::unique_handle(CreateThread(nullptr, 0, Writer::run, &writer, 0, nullptr))};
        if (!running.thread)
            throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                                    "CreateThread");
        DWORD exitCode = STILL_ACTIVE;
        while (writer.writes < 10 && GetExitCodeThread(running.thread.get(), &exitCode) &&
               exitCode == STILL_ACTIVE)
            SwitchToThread();
        if (writer.writes < 10)
            throw std::runtime_error("the writer could not open the scratch key");
        std::map<std::string, int> results;
        for (int read = 0; read < 3000; ++read) {
            const Variant value = registry.ValueData();
            ++results[value.kind() == Variant::Kind::Text
                          ? value.text()
                          : "kind " + std::to_string(static_cast<int>(value.kind())) + ": " +
                                value.toText()];
        }
        return results;
    }

    static void store(HKEY key, const std::string& text) {
        RegSetValueExA(key, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
    }

    const std::string shortText = "s";
    const std::string longText = std::string(2000, 'L');
};

TEST_F(ValueRewrittenMeanwhile, GetterReturnsOneOfTheTextsExactly) {
    const auto results =
        readWhile([&](HKEY key, unsigned i) { store(key, i % 2 ? longText : shortText); });
    int total = 0;
    for (const auto& [text, times] : results) {
        EXPECT_TRUE(text == shortText || text == longText)
            << times << " reads gave a text of " << text.size() << " characters starting "
            << static_cast<int>(text.empty() ? -1 : static_cast<unsigned char>(text[0]));
        total += times;
    }
    EXPECT_EQ(3000, total);
    std::printf("short %d, long %d of %d reads\n",
                results.count(shortText) ? results.at(shortText) : 0,
                results.count(longText) ? results.at(longText) : 0, total);
}

TEST_F(ValueRewrittenMeanwhile, GetterGivesDefaultWhenTheValueVanishes) {
    const auto results = readWhile([&](HKEY key, unsigned i) {
        if (i % 3 == 2)
            RegDeleteValueA(key, "v");
        else
            store(key, i % 3 ? longText : shortText);
    });
    for (const auto& [text, times] : results)
        EXPECT_TRUE(text == shortText || text == longText || text == "missing")
            << times << " reads gave a text of " << text.size() << " characters";
}

TEST_F(ValueRewrittenMeanwhile, GetterDecodesTheDataByTheTypeItReadThemWith) {
    const std::uint8_t number[4] = {0x78, 0x56, 0x34, 0x12};
    const auto results = readWhile([&](HKEY key, unsigned i) {
        if (i % 2)
            store(key, longText);
        else
            RegSetValueExA(key, "v", 0, REG_DWORD, number, sizeof number);
    });
    const std::string dword = "kind " + std::to_string(static_cast<int>(Variant::Kind::Int32)) +
                              ": " + std::to_string(0x12345678);
    for (const auto& [text, times] : results)
        EXPECT_TRUE(text == longText || text == dword)
            << times << " reads gave " << text.substr(0, 40) << " (" << text.size()
            << " characters)";
}

// ---------------------------------------------------------------------------
// No handle left open after many operations, failing ones included

class ManyOperations : public RegistryTest {
protected:
    static constexpr int repetitions = 10000;

    ManyOperations() {
        scratch.create("Present\\Child");
        scratch.set("v", REG_SZ, bytesOf("text\0"s), "Present");
        scratch.create("Denied\\Child");
        scratch.deny("Denied", KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY |
                                   KEY_ENUMERATE_SUB_KEYS | DELETE);
    }

    // Points the object at variant i of the usual, missing, bad-root and
    // denied keys.
    void pointAt(int i) {
        registry.KeyClass(i % 4 == 2 ? 12345 : scratch.keyClass());
        const char* const keys[] = {"Present", "Missing", "Present", "Denied"};
        registry.KeyName(scratch.path(keys[i % 4]));
    }

    template <typename Operation>
    void repeat(const char* name, Operation operation) {
        // One round first, so that whatever the first calls set up for the
        // process's life is in place before the handle is measured.
        for (int i = 0; i < 8; ++i) {
            pointAt(i);
            operation(i);
        }
        const std::uintptr_t before = freshHandleValue();
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < repetitions; ++i) {
            pointAt(i);
            operation(i);
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        std::printf("%-20s %d calls: %.2f s\n", name, repetitions, took.count());
        EXPECT_LE(freshHandleValue(), before) << name;
    }

    template <typename Action>
    static void mayRaise(Action action) {
        try {
            action();
        } catch (const RegistryError&) {
        }
    }
};

TEST_F(ManyOperations, KeyExistsCreateKeyAndDeleteKey) {
    repeat("KeyExists", [&](int) { registry.KeyExists(); });
    repeat("CreateKey", [&](int) { mayRaise([&] { registry.CreateKey(); }); });
    repeat("DeleteKey", [&](int i) {
        if (i % 4 == 1)
            registry.CreateKey(); // a leaf that DeleteKey then removes
        registry.DeleteKey();
    });
    EXPECT_TRUE(scratch.exists("Present\\Child"));
    EXPECT_TRUE(scratch.exists("Denied\\Child"));
}

TEST_F(ManyOperations, ValueDataGetAndSet) {
    registry.ValueName("v");
    repeat("ValueData get", [&](int) { registry.ValueData(); });
    repeat("ValueData set", [&](int i) {
        registry.ValueType(i % 8 < 4 ? REG_SZ : REG_BINARY); // text as binary raises
        mayRaise([&] { registry.ValueData(Variant("text")); });
    });
    EXPECT_EQ((RawValue{REG_SZ, bytesOf("text\0"s)}), scratch.get("v", "Present"));
}

TEST_F(ManyOperations, EnumerationsAndDeletion) {
    StringArray names;
    std::int32_t count = 0;
    repeat("EnumerateKeys", [&](int) { registry.EnumerateKeys(names, count); });
    repeat("EnumerateValues", [&](int) { registry.EnumerateValues(names, count); });
    repeat("DleteKeyAndSubKeys", [&](int i) {
        if (i % 4 == 0) {
            // A small tree in place of Present, which stays for the other cases.
            scratch.create("Tree\\A\\B");
            scratch.create("Tree\\C");
            registry.KeyName(scratch.path("Tree"));
        }
        registry.DleteKeyAndSubKeys();
    });
    EXPECT_FALSE(scratch.exists("Tree"));
    EXPECT_TRUE(scratch.exists("Present\\Child"));
    EXPECT_TRUE(scratch.exists("Denied\\Child"));
}

} // namespace
