// Whether a tool's command line starts what it names: the rules against a
// made-up machine, natively and under Wine; under Windows also the system's
// answers, for files the test makes in a folder whose name has a blank.
#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "rules/CommandLine.h"

namespace rules {

void PrintTo(ProgramStatus status, std::ostream* out) {
    constexpr const char* names[] = {"Fine",      "NotFound",    "NeedsQuotes",
                                     "NotProbed", "Replaceable", "CannotCheck"};
    *out << names[static_cast<int>(status)];
}

} // namespace rules

namespace {

using rules::ProgramStatus;

std::string upper(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return result;
}

// Windows on D:, programs below C:\Program Files, and E: a drive that must not
// be probed although it holds a program. Every file probe is logged, so that
// a case shows which candidates were tried, in which order; every read of
// rights too. Folders are those the files lie in; a file's or folder's
// grants, links and unreadable descriptors are what a case sets.
class FakeMachine final : public rules::ProgramFacts {
public:
    std::vector<std::string> probes;
    std::vector<std::string> rightsAsked;
    int searchFolderLookups = 0;
    std::map<std::string, std::vector<rules::Grant>> grants{
        {"D:\\Tools\\fix.exe", {{"Everyone", rules::Rights::AddFile}}}};
    std::map<std::string, std::string> links;
    std::set<std::string> unreadable{"C:\\Locked"};

    // Unknown names stay as written, as the system leaves them.
    std::string ExpandEnvironment(std::string_view text) override {
        std::string result;
        std::size_t at = 0;
        for (;;) {
            const std::size_t open = text.find('%', at);
            const std::size_t close =
                open == std::string_view::npos ? open : text.find('%', open + 1);
            if (close == std::string_view::npos)
                return result.append(text.substr(at));
            result.append(text.substr(at, open - at));
            const auto variable = variables_.find(upper(text.substr(open + 1, close - open - 1)));
            if (variable == variables_.end())
                result.append(text.substr(open, close - open + 1));
            else
                result.append(variable->second);
            at = close + 1;
        }
    }

    char WindowsDriveLetter() override { return 'D'; }

    bool MayProbe(std::string_view root) override {
        return upper(root) == "C:\\" || upper(root) == "D:\\";
    }

    rules::Presence FindFile(std::string_view path) override {
        probes.push_back("file " + std::string(path));
        return files_.contains(std::string(path)) ? rules::Presence::Present
               : path.starts_with("C:\\Locked\\") ? rules::Presence::CannotCheck
                                                  : rules::Presence::Missing;
    }

    std::string SearchOrder() override {
        ++searchFolderLookups;
        return folders;
    }

    rules::ObjectRights RightsOf(std::string_view path) override {
        const std::string object(path);
        rightsAsked.push_back(object);
        bool present = object.size() == 3 || files_.contains(object);
        for (const std::string& file : files_)
            present = present || file.starts_with(object + '\\');
        rules::ObjectRights rights;
        rights.presence = unreadable.contains(object) ? rules::Presence::CannotCheck
                          : present                   ? rules::Presence::Present
                                                      : rules::Presence::Missing;
        rights.linkTarget = links[object];
        rights.grants = grants[object];
        return rights;
    }

    std::string NameOf(const std::string& account) override { return account; }

    // Each file's and folder's rights are read at most once a line.
    bool ReadEachOnce() const {
        return std::set<std::string>(rightsAsked.begin(), rightsAsked.end()).size() ==
               rightsAsked.size();
    }

    // Where a name without a drive is looked for; a case may add a share.
    std::string folders = "D:\\Windows;D:\\Windows\\system32\\";

private:
    const std::map<std::string, std::string> variables_{{"SYSTEMROOT", "D:\\Windows"},
                                                        {"PROGRAMFILES", "C:\\Program Files"}};
    const std::set<std::string> files_{"C:\\Program Files\\Vendor\\tool.exe",
                                       "C:\\Tools\\report",
                                       "C:\\Tools.v2\\run.exe",
                                       "D:\\Windows\\system32\\ntbackup.exe",
                                       "D:\\Windows\\system32\\cleanmgr.exe",
                                       "D:\\Windows\\system32\\dfrg.msc",
                                       "D:\\Tools\\fix.exe",
                                       "D:\\Windows\\notepad.exe",
                                       "D:\\Windows\\system32\\compmgmt.msc",
                                       "D:\\Windows\\system32\\mmc.exe",
                                       "C:\\A\\V\\t.exe",
                                       "C:\\a\\b\\c\\d\\t.exe",
                                       "C:\\Scripts\\b.msc",
                                       "C:\\Tools\\x.dll",
                                       "D:\\R\\V\\t.exe",
                                       "E:\\tool.exe"};
};

struct Case {
    const char* line;
    ProgramStatus status;
    std::vector<std::string> probes;
};

const Case cases[] = {
    // Quoted, the program must be the quoted path; unquoted, the line is cut
    // at each blank in turn, then taken whole.
    {R"("C:\Program Files\Vendor\tool.exe" /x)",
     ProgramStatus::Fine,
     {R"(file C:\Program Files\Vendor\tool.exe)"}},
    {R"(C:\Program Files\Vendor\tool.exe /x)",
     ProgramStatus::NeedsQuotes,
     {R"(file C:\Program.exe)", R"(file C:\Program Files\Vendor\tool.exe)"}},
    {R"(C:\Program Files\Vendor\missing.exe /D %c)",
     ProgramStatus::NotFound,
     {R"(file C:\Program.exe)", R"(file C:\Program Files\Vendor\missing.exe)",
      R"(file C:\Program Files\Vendor\missing.exe /D.exe)",
      R"(file C:\Program Files\Vendor\missing.exe /D D.exe)"}},
    {R"("C:\Program Files\Vendor\missing.exe" /x)",
     ProgramStatus::NotFound,
     {R"(file C:\Program Files\Vendor\missing.exe)"}},
    {R"("C:\Program Files\Vendor\tool.exe)",
     ProgramStatus::Fine,
     {R"(file C:\Program Files\Vendor\tool.exe)"}},
    {R"("" /x)", ProgramStatus::NotFound, {}},

    // References are expanded before the line is cut; "%c" is the drive
    // that holds Windows, in the program's path and in its arguments.
    {R"(%SystemRoot%\system32\ntbackup.exe)",
     ProgramStatus::Fine,
     {R"(file D:\Windows\system32\ntbackup.exe)"}},
    {R"(%SystemRoot%\system32\cleanmgr.exe /D %c)",
     ProgramStatus::Fine,
     {R"(file D:\Windows\system32\cleanmgr.exe)"}},
    {R"(%systemroot%\system32\dfrg.msc %c:)",
     ProgramStatus::Fine,
     {R"(file D:\Windows\system32\dfrg.msc)"}},
    {R"(%c:\Tools\fix.exe)", ProgramStatus::Replaceable, {R"(file D:\Tools\fix.exe)"}},
    {R"(%ProgramFiles%\Vendor\tool.exe)",
     ProgramStatus::NeedsQuotes,
     {R"(file C:\Program.exe)", R"(file C:\Program Files\Vendor\tool.exe)"}},
    {R"("%programfiles%\Vendor\tool.exe")",
     ProgramStatus::Fine,
     {R"(file C:\Program Files\Vendor\tool.exe)"}},

    // A name without a drive is looked for in the search folders in turn;
    // ".exe" is added only where the last part of the name has no extension.
    {"notepad", ProgramStatus::Fine, {R"(file D:\Windows\notepad.exe)"}},
    {"notepad.exe /p notes.txt", ProgramStatus::Fine, {R"(file D:\Windows\notepad.exe)"}},
    {R"("notepad" /p)", ProgramStatus::Fine, {R"(file D:\Windows\notepad.exe)"}},
    {"compmgmt.msc /s",
     ProgramStatus::Fine,
     {R"(file D:\Windows\compmgmt.msc)", R"(file D:\Windows\system32\compmgmt.msc)"}},
    {"nosuch /x",
     ProgramStatus::NotFound,
     {R"(file D:\Windows\nosuch.exe)", R"(file D:\Windows\system32\nosuch.exe)",
      R"(file D:\Windows\nosuch /x.exe)", R"(file D:\Windows\system32\nosuch /x.exe)"}},
    {R"(\Tools\fix)", ProgramStatus::Replaceable, {R"(file D:\Tools\fix.exe)"}},
    {R"(C:\Tools\report)", ProgramStatus::NotFound, {R"(file C:\Tools\report.exe)"}},
    {R"(C:\Tools.v2\run)", ProgramStatus::Fine, {R"(file C:\Tools.v2\run.exe)"}},

    // Shares and drives other than local disks are never asked about.
    {R"(\\server\share\tool.exe)", ProgramStatus::NotProbed, {}},
    {R"("\\server\share\Program Files\tool.exe" /x)", ProgramStatus::NotProbed, {}},
    {"//server/share/tool.exe", ProgramStatus::NotProbed, {}},
    {R"(E:\tool.exe)", ProgramStatus::NotProbed, {}},
    {R"(E:\Program Files\tool.exe /x)", ProgramStatus::NotProbed, {}},

    // Blank lines are left to saving; blanks around a line are skipped, and
    // a run of blanks is one cut.
    {"", ProgramStatus::NotProbed, {}},
    {" \t ", ProgramStatus::NotProbed, {}},
    {R"(  "C:\Program Files\Vendor\tool.exe"  )",
     ProgramStatus::Fine,
     {R"(file C:\Program Files\Vendor\tool.exe)"}},
    {"\t C:\\Program Files\\Vendor\\tool.exe  ",
     ProgramStatus::NeedsQuotes,
     {R"(file C:\Program.exe)", R"(file C:\Program Files\Vendor\tool.exe)"}},
    {"nosuch  \t /x",
     ProgramStatus::NotFound,
     {R"(file D:\Windows\nosuch.exe)", R"(file D:\Windows\system32\nosuch.exe)",
      "file D:\\Windows\\nosuch  \t /x.exe", "file D:\\Windows\\system32\\nosuch  \t /x.exe"}},
};

TEST(CommandLine, StatusAndTheCandidatesProbedInOrder) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        FakeMachine machine;
        const rules::ProgramCheck check = rules::CheckCommandLine(c.line, machine);
        EXPECT_EQ(c.status, check.status);
        EXPECT_EQ(c.status == ProgramStatus::Replaceable ? "Everyone can change D:\\Tools\\fix.exe"
                                                         : "",
                  check.replaceableBy);
        EXPECT_EQ(c.probes, machine.probes);
        // A program found is read last, after every folder on its way and
        // every place looked at before it.
        const bool asked =
            c.status == ProgramStatus::Fine || c.status == ProgramStatus::Replaceable;
        EXPECT_EQ(asked ? c.probes.back().substr(5) : "", asked ? machine.rightsAsked.back() : "");
        EXPECT_TRUE(machine.ReadEachOnce());
        // The search folders (the PATH among them) are read once per line.
        EXPECT_LE(machine.searchFolderLookups, 1);
    }
}

// A name in none of the local folders may still be in a folder on a share or
// another drive, which is never looked at: the row then says nothing.
TEST(CommandLine, ANameMissingLocallyIsUnknownWhenTheSearchReachesAShare) {
    FakeMachine machine;
    machine.folders = R"(\\server\tools;D:\Windows;E:\bin)";
    EXPECT_EQ(ProgramStatus::Fine, rules::CheckCommandLine("notepad", machine).status);
    EXPECT_EQ(ProgramStatus::NotProbed, rules::CheckCommandLine("nosuch", machine).status);
    EXPECT_EQ((std::vector<std::string>{R"(file D:\Windows\notepad.exe)",
                                        R"(file D:\Windows\nosuch.exe)"}),
              machine.probes);
}

// CreateProcess takes at most 32,767 characters with the terminator: a longer
// line is not found, and no name cut from it is looked for.
TEST(CommandLine, ALineLongerThanAProcessTakesIsNotFoundUnprobed) {
    FakeMachine machine;
    const std::string longest = "notepad " + std::string(32766 - 8, 'x');
    EXPECT_EQ(ProgramStatus::Fine, rules::CheckCommandLine(longest, machine).status);
    EXPECT_EQ(ProgramStatus::NotFound, rules::CheckCommandLine(longest + 'x', machine).status);
    EXPECT_EQ(std::vector<std::string>{R"(file D:\Windows\notepad.exe)"}, machine.probes);
}

TEST(CommandLine, ABrowsedPathIsQuotedOnlyWhenItHoldsASpace) {
    EXPECT_EQ(R"("C:\Program Files\Vendor\tool.exe")",
              rules::QuotedIfSpaced(R"(C:\Program Files\Vendor\tool.exe)"));
    EXPECT_EQ(R"(C:\Tools\tool.exe)", rules::QuotedIfSpaced(R"(C:\Tools\tool.exe)"));
}

} // namespace

#ifdef _WIN32

#include <windows.h>

#include <sddl.h>

#include "rules/ProgramProbe.h"
#include "rules/ProgramRights.h"

namespace {

// Lines judged along the whole way from the root, with descriptors as SDDL on
// the files and folders named ("O:SY" has no DACL: Wine reads
// "D:NO_ACCESS_CONTROL" as an empty one; "?" cannot be read; "->" makes a
// link), every other one granting nothing; checked as S-1-5-21-1-2-3-1001, an
// administrator. Accounts are named by SID. A Windows program four folders
// deep and every other case reads each descriptor once.
TEST(ProgramRights, WhoCanTakeOverTheWayFromTheRoot) {
    using enum ProgramStatus;
    const std::string t = R"(C:\A\V\t.exe)", v = R"(C:\A\V)", bu = "S-1-5-32-545 can ";
    const struct {
        std::string line;
        std::vector<std::pair<std::string, const char*>> descriptors;
        ProgramStatus status;
        std::string who;
    } rightsCases[] = {
        {t,
         {{t, "O:S-1-5-21-1-2-3-1002D:(A;;FA;;;SY)"}},
         Replaceable,
         "S-1-5-21-1-2-3-1002 can change " + t},
        {t, {{v, "O:SY"}}, Replaceable, "S-1-1-0 can rename " + v},
        {t, {{t, "O:SYD:(A;;FA;;;SY)(A;;0x1301ff;;;WD)"}}, Replaceable, "S-1-1-0 can change " + t},
        {t, {{v, "O:SYD:(A;;0x2;;;BU)"}}, Replaceable, bu + "add files to " + v},
        {t, {{v, "O:SYD:(A;;0x4;;;BU)"}}, Fine, ""},
        {t, {{t, "O:SYD:(A;;0x4;;;BU)"}}, Replaceable, bu + "change " + t},
        // Deleting the program, or its folder's delete-child, alone puts no
        // other program in its place.
        {t, {{v, "O:SYD:(A;;0x40;;;AU)"}}, Fine, ""},
        {t, {{t, "O:SYD:(A;;0x10000;;;IU)"}}, Fine, ""},
        {t, {{v, "O:SYD:(A;;0x40000;;;IU)"}}, Replaceable, "S-1-5-4 can rename " + v},
        {t, {{t, "O:SYD:(A;;0x80000;;;IU)"}}, Replaceable, "S-1-5-4 can change " + t},
        {t, {{v, "O:SYD:(A;OICIIO;FA;;;BU)"}}, Fine, ""},
        {t, {{v, "O:SYD:(D;;0x2;;;BU)(A;;0x6;;;BU)"}}, Fine, ""},
        {t, {{v, "O:SYD:(A;;0x2;;;BU)(D;;0x2;;;BU)"}}, Replaceable, bu + "add files to " + v},
        {t, {{t, "O:SYD:(A;;GW;;;BU)"}}, Replaceable, bu + "change " + t},
        {t, {{v, "O:SYD:(A;;GA;;;WD)"}}, Replaceable, "S-1-1-0 can rename " + v},
        {t, {{v, "O:SYD:(A;;GR;;;WD)(A;;GX;;;WD)"}}, Fine, ""},
        {t,
         {{v, "O:BAD:(A;;FA;;;S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464)"}},
         Fine,
         ""},
        {t, {{t, "O:S-1-5-21-1-2-3-1001D:(A;;FA;;;S-1-5-21-1-2-3-1001)"}}, Fine, ""},
        // OWNER RIGHTS takes the owner's place; CREATOR OWNER grants nothing
        // on the object itself; a denial to Everyone or Authenticated Users
        // holds for every account; a domain's administrators are trusted.
        {t, {{t, "O:S-1-5-21-1-2-3-1002D:(A;;0x1200a9;;;OW)"}}, Fine, ""},
        {t, {{v, "O:SYD:(A;;FA;;;CO)"}}, Fine, ""},
        {t, {{v, "O:SYD:(D;;0x2;;;WD)(A;;0x2;;;BU)"}}, Fine, ""},
        {t, {{t, "O:SYD:(D;;FA;;;AU)(A;;FA;;;BU)"}}, Fine, ""},
        {t, {{t, "O:S-1-5-21-7-8-9-512D:(A;;FA;;;S-1-5-21-7-8-9-519)"}}, Fine, ""},
        // Every folder on the way, four deep too, the root and its children.
        {t, {{"C:\\A", "O:SYD:(A;OICI;0x1301bf;;;AU)"}}, Replaceable, "S-1-5-11 can rename C:\\A"},
        {t, {{"C:\\", "O:SYD:(A;;0x40;;;BU)"}}, Replaceable, bu + "rename C:\\A"},
        {t, {{"C:\\", "O:SYD:(A;;0x40000;;;BU)"}}, Replaceable, bu + "change C:\\"},
        {R"(C:\a\b\c\d\t.exe)",
         {{R"(C:\a\b\c)", "O:SYD:(A;;0x10000;;;BU)"}},
         Replaceable,
         bu + R"(rename C:\a\b\c)"},
        // The places the shell tries first, and a missing program's.
        {R"(C:\Program Files\Vendor\tool.exe /x)",
         {{"C:\\", "O:SYD:(A;;0x2;;;BU)"}},
         NeedsQuotes,
         bu + "add C:\\Program.exe"},
        {R"(C:\Program Files\Vendor\tool.exe)",
         {{R"(C:\Program Files\Vendor)", "O:SYD:(A;;0x2;;;BU)"}},
         NeedsQuotes,
         bu + R"(add files to C:\Program Files\Vendor)"},
        {R"(C:\Tools\backup.exe)",
         {{"C:\\Tools", "O:SYD:(A;;0x2;;;BU)"}},
         NotFound,
         bu + R"(add C:\Tools\backup.exe)"},
        {R"(C:\Gone\backup.exe)",
         {{"C:\\", "O:SYD:(A;;0x4;;;AU)"}},
         NotFound,
         R"(S-1-5-11 can add C:\Gone\backup.exe)"},
        {"compmgmt.msc",
         {{"D:\\Windows", "O:SYD:(A;;0x2;;;BU)"}},
         Replaceable,
         bu + R"(add D:\Windows\compmgmt.msc)"},
        // A link as itself and what it leads to; what an unreadable
        // descriptor hides is never "no one".
        {t,
         {{"C:\\A", "->D:\\R"}, {"D:\\R", "O:SYD:(A;;0x10000;;;BU)"}},
         Replaceable,
         bu + "rename D:\\R"},
        {t,
         {{"C:\\A", "->D:\\R"}, {"C:\\A", "O:SYD:(A;;0x2;;;BU)"}},
         Replaceable,
         bu + "change C:\\A"},
        {t, {{"C:\\A", "?"}}, CannotCheck, ""},
        {t, {{"C:\\A", "?"}, {t, "O:SYD:(A;;0x2;;;BU)"}}, Replaceable, bu + "change " + t},
        {R"(C:\Locked\tool.exe)", {}, CannotCheck, ""},
        // The files a line names, a script or library even when missing.
        {R"(mmc.exe C:\Scripts\b.msc)",
         {{"C:\\Scripts", "O:SYD:(A;;0x2;;;WD)"}},
         Replaceable,
         "S-1-1-0 can add files to C:\\Scripts"},
        {R"(mmc "C:\Tools\x.dll,Run" /x)",
         {{R"(C:\Tools\x.dll)", "O:SYD:(A;;0x2;;;BU)"}},
         Replaceable,
         bu + R"(change C:\Tools\x.dll)"},
        {R"(notepad -File C:\Scripts\no.ps1)",
         {{"C:\\Scripts", "O:SYD:(A;;0x2;;;BU)"}},
         Replaceable,
         bu + R"(add C:\Scripts\no.ps1)"},
        {R"(notepad C:\Tools\report D:)",
         {{R"(C:\Tools\report)", "O:SYD:(A;;0x4;;;BU)"}},
         Replaceable,
         bu + R"(change C:\Tools\report)"},
    };
    PSID running = nullptr;
    ASSERT_TRUE(ConvertStringSidToSidW(L"S-1-5-21-1-2-3-1001", &running));
    for (const auto& c : rightsCases) {
        SCOPED_TRACE(c.line);
        FakeMachine machine;
        for (const auto& [path, sddl] : c.descriptors) {
            PSECURITY_DESCRIPTOR descriptor = nullptr;
            if (sddl[0] == '-')
                machine.links[path] = sddl + 2;
            else if (sddl[0] == '?')
                machine.unreadable.insert(path);
            else if (ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1,
                                                                          &descriptor, nullptr))
                for (rules::Grant grant : rules::GrantsOf(descriptor, running)) {
                    LPSTR sid = nullptr;
                    ConvertSidToStringSidA(grant.account.data(), &sid);
                    grant.account = sid;
                    machine.grants[path].push_back(grant);
                    LocalFree(sid);
                }
            LocalFree(descriptor);
        }
        const rules::ProgramCheck check = rules::CheckCommandLine(c.line, machine);
        EXPECT_EQ(c.status, check.status);
        EXPECT_EQ(c.who, check.replaceableBy);
        EXPECT_TRUE(machine.ReadEachOnce());
    }
    LocalFree(running);
}

constexpr const char* folderVariable = "QuillmereProbeFolder";

// Below %TEMP%: a program, a console file and a folder named like a program,
// in a folder whose name has blanks; the folder's path is also in a variable.
class ProgramProbe : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        const DWORD length = GetTempPathA(MAX_PATH, temp);
        ASSERT_TRUE(length > 0 && length < MAX_PATH);
        folder_ = std::string(temp) + "Quillmere probe " + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr)) << GetLastError();
        for (const char* name : {"tool.exe", "snap.msc"}) {
            const HANDLE file = CreateFileA((folder_ + "\\" + name).c_str(), GENERIC_WRITE, 0,
                                            nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(INVALID_HANDLE_VALUE, file) << name << ": " << GetLastError();
            CloseHandle(file);
        }
        ASSERT_TRUE(CreateDirectoryA((folder_ + "\\folder.exe").c_str(), nullptr));
        ASSERT_TRUE(SetEnvironmentVariableA(folderVariable, folder_.c_str()));
    }

    void TearDown() override {
        SetEnvironmentVariableA(folderVariable, nullptr);
        DeleteFileA((folder_ + "\\tool.exe").c_str());
        DeleteFileA((folder_ + "\\snap.msc").c_str());
        RemoveDirectoryA((folder_ + "\\folder.exe").c_str());
        EXPECT_TRUE(RemoveDirectoryA(folder_.c_str())) << GetLastError();
    }

    std::string folder_;
};

TEST_F(ProgramProbe, AnswersFromTheSystem) {
    char system[MAX_PATH];
    const UINT length = GetSystemDirectoryA(system, MAX_PATH);
    ASSERT_TRUE(length > 2 && length < MAX_PATH && system[1] == ':');
    // "C:\windows\system32" as "%c:\windows\system32".
    const std::string systemOnWindowsDrive = "%c" + std::string(system + 1);

    const struct {
        std::string line;
        ProgramStatus status;
    } systemCases[] = {
        {'"' + folder_ + "\\tool.exe\" /x", ProgramStatus::Fine},
        {folder_ + "\\tool.exe /x", ProgramStatus::NeedsQuotes},
        {folder_ + "\\tool /x", ProgramStatus::NeedsQuotes},
        {"%quillmereprobefolder%\\tool.exe", ProgramStatus::NeedsQuotes},
        {"\"%QUILLMEREPROBEFOLDER%\\snap.msc\" %c:", ProgramStatus::Fine},
        {'"' + folder_ + "\\missing.exe\"", ProgramStatus::NotFound},
        {'"' + folder_ + "\\folder.exe\"", ProgramStatus::NotFound},
        {systemOnWindowsDrive + "\\kernel32.dll /D %c", ProgramStatus::Fine},
        {"%systemroot%\\system32\\kernel32.dll", ProgramStatus::Fine},
        // Longer than the system expands: read as it stands, never overrun.
        {"%systemroot%\\" + std::string(40000, 'x') + ".exe", ProgramStatus::NotFound},
        {"kernel32.dll", ProgramStatus::Fine},
        {"quillmere-no-such-program /x", ProgramStatus::NotFound},
    };
    for (const auto& c : systemCases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(c.status, rules::ProbeProgram(c.line));
    }
}

// Everyone may write the program, then also its folder. Under Wine the grant
// becomes the file's Unix mode (o+w), from which Wine reads the rights back.
// The name comes from another thread: the SID stands in until it is there.
TEST_F(ProgramProbe, NamesWhoCanReplaceTheProgram) {
    const std::string line = '"' + folder_ + "\\tool.exe\" /x";
    EXPECT_EQ(ProgramStatus::Fine, rules::CheckProgram(line).status);
    for (const std::string& path : {folder_ + "\\tool.exe", folder_}) {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
            "D:(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x1301ff;;;WD)", SDDL_REVISION_1, &descriptor, nullptr));
        const BOOL set = SetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, descriptor);
        LocalFree(descriptor);
        ASSERT_TRUE(set) << GetLastError();
        rules::ProgramCheck check = rules::CheckProgram(line);
        for (int tries = 0; tries < 50 && check.replaceableBy.starts_with("S-1-1-0 "); ++tries) {
            WaitForSingleObject(rules::NamesFound(), 100);
            check = rules::CheckProgram(line);
        }
        EXPECT_EQ(ProgramStatus::Replaceable, check.status);
        EXPECT_EQ(path == folder_ ? "Everyone can rename " + folder_
                                  : "Everyone can change " + folder_ + "\\tool.exe",
                  check.replaceableBy);
    }
}

} // namespace

#endif
