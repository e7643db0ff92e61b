// Registry benchmark: times the Registry class's recursive deletion and its
// two listings against the plain registry functions doing the same work, and
// counts the registry calls that loading and saving the main window make.
// Usage: registry_bench [runs]   (default 9; medians over that many runs)
//
// Everything it creates lies below HKCU\Software\QuillmereBench, except the
// three tool keys that the main window edits; run it in a private prefix.
// The listing fixtures are volatile keys: built once, reused by every run,
// and gone when the registry server ends, so nothing large is ever saved.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "app/Main.h"
#include "base/Handles.h"
#include "registry/NtDeleteKey.h"
#include "registry/Registry.h"
#include "registry/ValueCodec.h"
#include "rules/Tools.h"

namespace {

constexpr const char* benchRoot = "Software\\QuillmereBench";

double now() {
    static const double frequency = [] {
        LARGE_INTEGER value;
        QueryPerformanceFrequency(&value);
        return static_cast<double>(value.QuadPart);
    }();
    LARGE_INTEGER value;
    QueryPerformanceCounter(&value);
    return static_cast<double>(value.QuadPart) / frequency;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "registry_bench: %s\n", what.c_str());
    std::exit(1);
}

std::string numbered(char prefix, int number) {
    char name[16];
    std::snprintf(name, sizeof name, "%c%06d", prefix, number);
    return name;
}

base::unique_hkey createKey(HKEY parent, const std::string& name, DWORD options) {
    base::unique_hkey key;
    const LSTATUS status = RegCreateKeyExA(parent, name.c_str(), 0, nullptr, options,
                                           KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
    if (status != ERROR_SUCCESS)
        fail("cannot create " + name + " (status " + std::to_string(status) + ")");
    return key;
}

bool keyExists(HKEY root, const std::string& path) {
    base::unique_hkey key;
    return RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) == ERROR_SUCCESS;
}

// A left-over tree from an interrupted run would distort the first timing.
void removeBenchKeys() {
    if (keyExists(HKEY_CURRENT_USER, benchRoot))
        RegDeleteTreeA(HKEY_CURRENT_USER, benchRoot);
}

// ---- Recursive deletion ----------------------------------------------------

constexpr int treeBranches = 9, treeTwigs = 10, treeLeaves = 110;
constexpr int treeKeys =
    1 + treeBranches + treeBranches * treeTwigs + treeBranches * treeTwigs * treeLeaves; // 10,000

// Three levels below the tree's own key, made anew for every timed run, so
// that both contenders delete a tree of exactly the same shape and names.
void buildTree(const std::string& path) {
    base::unique_hkey tree = createKey(HKEY_CURRENT_USER, path, REG_OPTION_NON_VOLATILE);
    for (int branch = 0; branch < treeBranches; ++branch) {
        base::unique_hkey b = createKey(tree.get(), numbered('b', branch), REG_OPTION_NON_VOLATILE);
        for (int twig = 0; twig < treeTwigs; ++twig) {
            base::unique_hkey t = createKey(b.get(), numbered('t', twig), REG_OPTION_NON_VOLATILE);
            for (int leaf = 0; leaf < treeLeaves; ++leaf)
                createKey(t.get(), numbered('l', leaf), REG_OPTION_NON_VOLATILE);
        }
    }
}

struct Comparison {
    std::string operation;
    int names;
    std::vector<double> ours, plain;
};

Comparison benchDeletion(int runs) {
    const std::string path = std::string(benchRoot) + "\\Tree";
    Comparison result{"DleteKeyAndSubKeys vs RegDeleteTreeA", treeKeys, {}, {}};
    for (int round = 0; round < runs; ++round) {
        // Alternate which one goes first so that a slow spell of the shared
        // machine does not always land on the same contender.
        for (int turn = 0; turn < 2; ++turn) {
            const bool oursNow = (round + turn) % 2 == 0;
            buildTree(path);
            const double start = now();
            if (oursNow) {
                Registry registry;
                registry.KeyClass(RootKey::CurrentUser);
                registry.KeyName(path);
                registry.DleteKeyAndSubKeys();
            } else {
                RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
            }
            const double seconds = now() - start;
            if (keyExists(HKEY_CURRENT_USER, path))
                fail(std::string(oursNow ? "DleteKeyAndSubKeys" : "RegDeleteTreeA") +
                     " left the tree in place");
            (oursNow ? result.ours : result.plain).push_back(seconds);
        }
    }
    return result;
}

// ---- Listings ---------------------------------------------------------------

std::string fixturePath(const char* kind, int count) {
    return std::string(benchRoot) + "\\" + kind + std::to_string(count);
}

void buildListingFixtures(int count) {
    base::unique_hkey keys =
        createKey(HKEY_CURRENT_USER, fixturePath("Keys", count), REG_OPTION_VOLATILE);
    for (int i = 0; i < count; ++i)
        createKey(keys.get(), numbered('k', i), REG_OPTION_VOLATILE);

    base::unique_hkey values =
        createKey(HKEY_CURRENT_USER, fixturePath("Values", count), REG_OPTION_VOLATILE);
    for (int i = 0; i < count; ++i) {
        const DWORD data = static_cast<DWORD>(i);
        const LSTATUS status = RegSetValueExA(values.get(), numbered('v', i).c_str(), 0, REG_DWORD,
                                              reinterpret_cast<const BYTE*>(&data), sizeof data);
        if (status != ERROR_SUCCESS)
            fail("cannot store value " + numbered('v', i));
    }
}

// The loops a caller would write without the class: one fixed buffer, names
// appended to a vector.
std::vector<std::string> plainKeyNames(const std::string& path) {
    std::vector<std::string> names;
    base::unique_hkey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ENUMERATE_SUB_KEYS, key.put()))
        return names;
    char name[256];
    for (DWORD index = 0; RegEnumKeyA(key.get(), index, name, sizeof name) == ERROR_SUCCESS;
         ++index)
        names.emplace_back(name);
    return names;
}

std::vector<std::string> plainValueNames(const std::string& path) {
    std::vector<std::string> names;
    base::unique_hkey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, key.put()))
        return names;
    static char name[16384];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        if (RegEnumValueA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    return names;
}

using Listing = Boolean (Registry::*)(StringArray&, std::int32_t&) const;

Comparison benchListing(const char* kind, int count, Listing listing,
                        std::vector<std::string> (*plain)(const std::string&), int runs) {
    const std::string path = fixturePath(kind, count);
    const bool listsKeys = std::strcmp(kind, "Keys") == 0;
    Comparison result{listsKeys ? "EnumerateKeys vs RegEnumKeyA loop"
                                : "EnumerateValues vs RegEnumValueA loop",
                      count,
                      {},
                      {}};
    Registry registry;
    registry.KeyClass(RootKey::CurrentUser);
    registry.KeyName(path);
    // Round -1 warms the caches and checks that both list the same names.
    for (int round = -1; round < runs; ++round) {
        for (int turn = 0; turn < 2; ++turn) {
            const bool oursNow = (round + turn) % 2 == 0;
            StringArray names;
            std::int32_t found = 0;
            std::vector<std::string> plainNames;
            const double start = now();
            if (oursNow)
                (registry.*listing)(names, found);
            else
                plainNames = plain(path);
            const double seconds = now() - start;
            if (oursNow && found != count)
                fail(std::string(kind) + ": the class listed " + std::to_string(found) + " of " +
                     std::to_string(count));
            if (!oursNow && plainNames.size() != static_cast<size_t>(count))
                fail(std::string(kind) + ": the plain loop listed " +
                     std::to_string(plainNames.size()) + " of " + std::to_string(count));
            if (round < 0) {
                if (oursNow && names.elements != plain(path))
                    fail(std::string(kind) + ": the class and the plain loop list different names");
                continue;
            }
            (oursNow ? result.ours : result.plain).push_back(seconds);
        }
    }
    return result;
}

// ---- Registry calls per load and save --------------------------------------

// Counting stand-ins for imported registry functions: each one counts its
// calls and forwards to the function the import slot held before.
template <typename Signature, int Slot>
struct Counted;

template <typename Result, typename... Arguments, int Slot>
struct Counted<Result(WINAPI*)(Arguments...), Slot> {
    using Function = Result(WINAPI*)(Arguments...);
    static inline Function original = nullptr;
    static inline long calls = 0;
    static Result WINAPI call(Arguments... arguments) {
        ++calls;
        return original(arguments...);
    }
    static void install(ULONG_PTR& slot) {
        original = reinterpret_cast<Function>(slot);
        slot = reinterpret_cast<ULONG_PTR>(&call);
    }
};

struct CountedImport {
    const char* name;
    void (*install)(ULONG_PTR& slot);
    long* calls;
};

template <typename Signature, int Slot>
CountedImport counted(const char* name) {
    return {name, &Counted<Signature, Slot>::install, &Counted<Signature, Slot>::calls};
}

// Each use gets counters of its own, also for functions of the same signature.
#define COUNTED(function) counted<decltype(&::function), __COUNTER__>(#function)

// Every registry function this program imports. The import walk below says
// so when it meets one that is missing here.
std::vector<CountedImport> ownImports = {
    COUNTED(RegOpenKeyExA),    COUNTED(RegCreateKeyExA), COUNTED(RegCloseKey),
    COUNTED(RegDeleteKeyA),    COUNTED(RegDeleteValueA), COUNTED(RegQueryValueExA),
    COUNTED(RegSetValueExA),   COUNTED(RegEnumKeyA),     COUNTED(RegEnumValueA),
    COUNTED(RegQueryInfoKeyA), COUNTED(RegDeleteTreeA),  COUNTED(NtDeleteKey),
};

// The shell object writes the unnamed value with its own (wide) calls.
std::vector<CountedImport> shellImports = {
    COUNTED(RegOpenKeyExW),   COUNTED(RegCreateKeyExW),  COUNTED(RegCloseKey),
    COUNTED(RegSetValueExW),  COUNTED(RegQueryValueExW), COUNTED(RegDeleteValueW),
    COUNTED(RegDeleteKeyW),   COUNTED(RegEnumKeyExW),    COUNTED(RegQueryInfoKeyW),
    COUNTED(RegSetKeyValueW), COUNTED(RegGetValueW),
};

// Points the module's import slots of registry functions at the counters.
// Names beginning "Reg" with no counter are reported: they would go uncounted.
void installCounters(HMODULE module, std::vector<CountedImport>& counters, const char* moduleName) {
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0)
        fail(std::string(moduleName) + " has no import table");
    for (auto* library =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         library->Name != 0; ++library) {
        const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(
            base +
            (library->OriginalFirstThunk ? library->OriginalFirstThunk : library->FirstThunk));
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const char* name = reinterpret_cast<const char*>(
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)
                    ->Name);
            // No registry function's name begins "Register" (RegisterClassA is
            // a window function).
            const bool registryFunction =
                (std::strncmp(name, "Reg", 3) == 0 && std::strncmp(name, "Register", 8) != 0) ||
                std::strcmp(name, "NtDeleteKey") == 0;
            if (!registryFunction)
                continue;
            auto counter = std::find_if(counters.begin(), counters.end(),
                                        [&](auto& c) { return std::strcmp(c.name, name) == 0; });
            if (counter == counters.end()) {
                std::printf("  note: %s imports %s from %s; it is not counted\n", moduleName, name,
                            reinterpret_cast<const char*>(base + library->Name));
                continue;
            }
            DWORD protection = 0;
            if (!VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE,
                                &protection))
                fail(std::string("cannot write the import slot of ") + name);
            counter->install(slots->u1.Function);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
        }
    }
}

using CallCounts = std::map<std::string, long>;

CallCounts takeCounts(std::vector<CountedImport>& counters) {
    CallCounts counts;
    for (CountedImport& counter : counters) {
        if (*counter.calls)
            counts[counter.name] += *counter.calls;
        *counter.calls = 0;
    }
    return counts;
}

long total(const CallCounts& counts) {
    long sum = 0;
    for (const auto& [name, calls] : counts)
        sum += calls;
    return sum;
}

// What the algorithms of the tool rules and of the class call, at the least,
// for one row. Reading a key is one read of it as stored: a present key costs
// an open, a query of the size, a query of the data and a close; an absent one
// a failed open. Loading a row from an absent key takes a second failed open,
// which tells a key that is not there from one the registry refuses to open
// (where the program does not run in UTF-8, a present key's text costs one
// more read, which this benchmark, run in UTF-8, never makes). A save reads each row it writes
// right before writing it, to tell a change made elsewhere, and once more after writing it, so that
// its own write is not taken for one. Writing an enabled row: the value write (create, set, close)
// and CreateKey (create, close); the shell object's RegWrite then writes the value with calls of
// its own. Switching a row off: EnumerateKeys (open, one RegEnumKeyA that ends the listing, close)
// and the deletion (open, delete, close; it goes through NtDeleteKey on the opened key rather than
// RegDeleteKeyA by name, so that a symbolic link is deleted as the link), then one KeyExists (a
// failed open) that tells whether the registry refused the deletion. A row the user has not edited
// is not written at all.
CallCounts readPresentKey() {
    return {{"RegOpenKeyExA", 1}, {"RegQueryValueExA", 2}, {"RegCloseKey", 1}};
}
CallCounts readAbsentKey() {
    return {{"RegOpenKeyExA", 1}};
}
CallCounts loadAbsentKey() {
    return {{"RegOpenKeyExA", 2}};
}
CallCounts writeEnabledRow() {
    return {{"RegCreateKeyExA", 2}, {"RegSetValueExA", 1}, {"RegCloseKey", 2}};
}
CallCounts switchOffPresentRow() {
    return {{"RegOpenKeyExA", 3}, {"RegEnumKeyA", 1}, {"RegCloseKey", 2}, {"NtDeleteKey", 1}};
}

CallCounts sum(std::initializer_list<CallCounts> parts) {
    CallCounts counts;
    for (const CallCounts& part : parts)
        for (const auto& [name, calls] : part)
            counts[name] += calls;
    return counts;
}

struct Scenario {
    std::string label; // the column heading
    std::string name;
    CallCounts measured, needed, shell;
};

void storeToolValue(int row, const char* text) {
    base::unique_hkey key =
        createKey(HKEY_LOCAL_MACHINE, rules::Tools[row].keyPath, REG_OPTION_NON_VOLATILE);
    if (RegSetValueExA(key.get(), "", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(text),
                       static_cast<DWORD>(std::strlen(text) + 1)) != ERROR_SUCCESS)
        fail("cannot store the command line of row " + std::to_string(row));
}

void installAllCounters() {
    installCounters(GetModuleHandleA(nullptr), ownImports, "registry_bench.exe");
    // Loaded here and kept, so that the shell object's calls can be counted
    // in the same module that creating the object then uses.
    if (HMODULE shell = LoadLibraryA("wshom.ocx"))
        installCounters(shell, shellImports, "wshom.ocx");
    else
        std::printf("  note: wshom.ocx not found; the shell object's own calls are not counted\n");
}

// DleteKeyAndSubKeys on a tree of k keys: for every key one EnumerateKeys
// (open, one RegEnumKeyA per subkey and one that ends the listing, close) and
// one deletion of the key itself (open, NtDeleteKey, close); every key that
// listed subkeys is also checked for being a symbolic link (open, a query of
// its link value that fails, close). Every key but the top one is some key's
// subkey: 2k + p opens, 2k - 1 listing calls, p queries, 2k + p closes and k
// deletions, for the p keys with subkeys.
Scenario countDeletion() {
    const std::string path = std::string(benchRoot) + "\\Tree";
    buildTree(path);
    takeCounts(ownImports);
    Registry registry;
    registry.KeyClass(RootKey::CurrentUser);
    registry.KeyName(path);
    registry.DleteKeyAndSubKeys();
    CallCounts measured = takeCounts(ownImports);
    if (keyExists(HKEY_CURRENT_USER, path))
        fail("DleteKeyAndSubKeys left the tree in place");
    const long k = treeKeys;
    const long p = 1 + treeBranches + treeBranches * treeTwigs;
    return {"delete tree",
            "DleteKeyAndSubKeys, " + std::to_string(treeKeys) + " keys",
            measured,
            {{"RegOpenKeyExA", 2 * k + p},
             {"RegEnumKeyA", 2 * k - 1},
             {"RegQueryValueExA", p},
             {"RegCloseKey", 2 * k + p},
             {"NtDeleteKey", k}},
            {}};
}

std::vector<Scenario> countLoadAndSave() {
    for (int row = 0; row < rules::ToolCount; ++row)
        storeToolValue(row, rules::Tools[row].defaultCommandLine);

    // Loading builds the window (hidden) and runs its load handler, which
    // loads the settings once already; that first load is not counted.
    app::Main main;
    main.Load();

    std::vector<Scenario> scenarios;
    const auto measure = [&](std::string label, std::string name, CallCounts needed,
                             const std::function<void()>& run) {
        // Only the calls made by run() count, none of this program's checks.
        takeCounts(ownImports);
        takeCounts(shellImports);
        run();
        scenarios.push_back({std::move(label), std::move(name), takeCounts(ownImports),
                             std::move(needed), takeCounts(shellImports)});
    };
    const CallCounts saveEdited = sum({readPresentKey(), writeEnabledRow(), readPresentKey()});
    measure("load", "load, all 3 rows enabled",
            sum({readPresentKey(), readPresentKey(), readPresentKey()}),
            [&] { main.LoadSettings(); });
    // Edits are not counted: their handlers write nothing.
    for (int row = 0; row < rules::ToolCount; ++row)
        main.Txt(row).SetCaption(main.Txt(row).Caption() + " /x");
    measure("save", "save, all 3 rows edited", sum({saveEdited, saveEdited, saveEdited}), [&] {
        if (main.SaveSettings() != True)
            fail("the save with three edited rows wrote nothing");
    });
    main.UCh(1).SetValue(1);
    measure("save 1off", "save, row 1 switched off, its key present",
            sum({readPresentKey(), switchOffPresentRow(), readAbsentKey()}), [&] {
                if (main.SaveSettings() != True)
                    fail("the save with row 1 off wrote nothing");
            });
    if (keyExists(HKEY_LOCAL_MACHINE, rules::Tools[1].keyPath))
        fail("the save with row 1 off left its key in place");
    measure("load 1off", "load, row 1 switched off (key absent)",
            sum({readPresentKey(), loadAbsentKey(), readPresentKey()}),
            [&] { main.LoadSettings(); });
    measure("again", "save again, no row edited", {}, [&] {
        main.SettingsChanged = True;
        if (main.SaveSettings() != True)
            fail("the save without edits failed");
    });
    main.Unload();
    for (int row = 0; row < rules::ToolCount; ++row)
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, rules::Tools[row].keyPath);
    return scenarios;
}

// ---- Report -----------------------------------------------------------------

void printComparisons(const std::vector<Comparison>& comparisons, int runs) {
    std::printf("\nTimes: medians over %d runs each, in milliseconds\n", runs);
    std::printf("%-40s %8s %12s %12s %8s %6s\n", "operation", "names", "Registry", "plain API",
                "ratio", "<=1.2");
    for (const Comparison& c : comparisons) {
        const double ours = median(c.ours) * 1000, plain = median(c.plain) * 1000;
        std::printf("%-40s %8d %12.1f %12.1f %8.2f %6s\n", c.operation.c_str(), c.names, ours,
                    plain, ours / plain, ours / plain <= 1.2 ? "yes" : "no");
    }
    // Growth from 10,000 to 100,000 names: about 10 for a linear listing.
    std::printf("\nGrowth from 10,000 to 100,000 names (median time ratio; linear is 10)\n");
    std::printf("%-40s %12s %12s %6s\n", "operation", "Registry", "plain API", "<=11");
    for (const Comparison& small : comparisons) {
        for (const Comparison& large : comparisons) {
            if (small.operation != large.operation || small.names != 10000 || large.names != 100000)
                continue;
            const double ours = median(large.ours) / median(small.ours);
            const double plain = median(large.plain) / median(small.plain);
            std::printf("%-40s %12.2f %12.2f %6s\n", small.operation.c_str(), ours, plain,
                        ours <= 11 ? "yes" : "no");
        }
    }
}

void printCounts(const std::vector<Scenario>& scenarios) {
    std::printf("\nRegistry calls made by this program's code: measured / the least the "
                "algorithms need\n");
    std::vector<std::string> functions;
    for (const Scenario& s : scenarios)
        for (const CallCounts* counts : {&s.measured, &s.needed})
            for (const auto& [name, calls] : *counts)
                if (std::find(functions.begin(), functions.end(), name) == functions.end())
                    functions.push_back(name);
    std::sort(functions.begin(), functions.end());
    const int width = scenarios.size() == 1 ? 24 : 11;
    std::printf("%-18s", "function");
    for (const Scenario& s : scenarios)
        std::printf(" %*s", width, s.label.c_str());
    std::printf("\n");
    const auto row = [&](const std::string& label,
                         const std::function<long(const CallCounts&)>& of) {
        std::printf("%-18s", label.c_str());
        for (const Scenario& s : scenarios) {
            char cell[48];
            const long measured = of(s.measured), needed = of(s.needed);
            std::snprintf(cell, sizeof cell, "%ld / %ld%s", measured, needed,
                          measured > needed ? "+" : "");
            std::printf(" %*s", width, cell);
        }
        std::printf("\n");
    };
    for (const std::string& function : functions)
        row(function, [&](const CallCounts& counts) {
            auto found = counts.find(function);
            return found == counts.end() ? 0L : found->second;
        });
    row("all", [](const CallCounts& counts) { return total(counts); });
    for (const Scenario& s : scenarios)
        std::printf("  %-10s %s\n", s.label.c_str(), s.name.c_str());
}

void printShellCalls(const std::vector<Scenario>& scenarios) {
    std::printf("\nRegistry calls made inside the shell object's RegWrite (its own module)\n");
    for (const Scenario& s : scenarios) {
        std::string calls;
        for (const auto& [name, count] : s.shell)
            calls += " " + name + " " + std::to_string(count);
        std::printf("  %-10s %ld%s%s\n", s.label.c_str(), total(s.shell), calls.empty() ? "" : ":",
                    calls.c_str());
    }
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    try {
        removeBenchKeys();
        std::vector<Comparison> comparisons;
        std::printf("Deleting a tree of %d keys, %d runs each...\n", treeKeys, runs);
        std::fflush(stdout);
        comparisons.push_back(benchDeletion(runs));

        for (int count : {10000, 100000}) {
            std::printf("Building %d keys and %d values (once)...\n", count, count);
            std::fflush(stdout);
            const double start = now();
            buildListingFixtures(count);
            std::printf("  built in %.1f s\n", now() - start);
            std::fflush(stdout);
        }
        for (int count : {10000, 100000}) {
            comparisons.push_back(
                benchListing("Keys", count, &Registry::EnumerateKeys, plainKeyNames, runs));
            comparisons.push_back(
                benchListing("Values", count, &Registry::EnumerateValues, plainValueNames, runs));
        }
        std::sort(comparisons.begin(), comparisons.end(), [](const auto& a, const auto& b) {
            return a.operation != b.operation ? a.operation < b.operation : a.names < b.names;
        });

        std::printf("Counting the registry calls of the main window's load and save...\n");
        installAllCounters();
        const std::vector<Scenario> scenarios = countLoadAndSave();
        const Scenario deletion = countDeletion();
        removeBenchKeys();

        printComparisons(comparisons, runs);
        printCounts(scenarios);
        printShellCalls(scenarios);
        printCounts({deletion});
        return 0;
    } catch (const RegistryError& error) {
        fail("RegistryError " + std::to_string(error.Number()) + ": " + error.Description());
    } catch (const std::exception& error) {
        fail(error.what());
    }
}
