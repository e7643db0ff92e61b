#include "rules/ProgramRights.h"

#include <aclapi.h>
#include <sddl.h>

#include <cwchar>

#include "base/Handles.h"

namespace rules {

namespace {

template <typename T>
void FreeLocal(T memory) {
    ::LocalFree(memory);
}
template <typename T>
using unique_local = base::unique_any<T, decltype(&FreeLocal<T>), FreeLocal<T>>;

// TrustedInstaller, the service that installs Windows' own files: a SID
// with six sub-authorities, laid out as the system lays one out.
struct ServiceSid {
    BYTE revision;
    BYTE count;
    SID_IDENTIFIER_AUTHORITY authority;
    DWORD subAuthorities[6];
};
ServiceSid TrustedInstaller{
    SID_REVISION,
    6,
    SECURITY_NT_AUTHORITY,
    {SECURITY_SERVICE_ID_BASE_RID, 956008885, 3418522649, 1831038044, 1853292631, 2271478464}};

// What a NULL DACL grants everything to.
SID Everyone{SID_REVISION, 1, SECURITY_WORLD_SID_AUTHORITY, {SECURITY_WORLD_RID}};

// Rewriting the program, deleting it to make another, or taking the rights to
// do so. In the folder, adding a file or removing one does the same; a new
// subfolder alone cannot stand in for the program.
constexpr ACCESS_MASK ProgramChanges =
    FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE | WRITE_DAC | WRITE_OWNER;
constexpr ACCESS_MASK FolderChanges = FILE_ADD_FILE | FILE_DELETE_CHILD | WRITE_DAC | WRITE_OWNER;

// The accounts that already hold every right the program would run with: the
// system, its administrators, TrustedInstaller and the account checking.
bool IsTrusted(PSID account, PSID runningAccount) {
    return EqualSid(account, runningAccount) || IsWellKnownSid(account, WinLocalSystemSid) ||
           IsWellKnownSid(account, WinBuiltinAdministratorsSid) ||
           EqualSid(account, &TrustedInstaller);
}

ACCESS_MASK FileRights(ACCESS_MASK mask) {
    GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                            FILE_ALL_ACCESS};
    MapGenericMask(&mask, &mapping);
    return mask;
}

// The DACL's entry at `index` when it has the type given and applies to the
// object itself, not only to what the object's children inherit. Allowing
// and denying entries share one layout.
ACCESS_ALLOWED_ACE* EntryOf(PACL dacl, DWORD index, BYTE type) {
    void* entry = nullptr;
    if (!GetAce(dacl, index, &entry))
        return nullptr;
    const auto ace = static_cast<ACCESS_ALLOWED_ACE*>(entry);
    return ace->Header.AceType == type && !(ace->Header.AceFlags & INHERIT_ONLY_ACE) ? ace
                                                                                     : nullptr;
}

std::string Narrow(const wchar_t* text) {
    const int length = static_cast<int>(std::wcslen(text));
    std::string narrow(WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr),
                       '\0');
    WideCharToMultiByte(CP_ACP, 0, text, length, narrow.data(), static_cast<int>(narrow.size()),
                        nullptr, nullptr);
    return narrow;
}

} // namespace

std::string NameOf(PSID account) {
    wchar_t name[256];
    // The domain, then a backslash and the name after it.
    wchar_t domain[256 + 1 + 256];
    DWORD nameSize = 256;
    DWORD domainSize = 256;
    SID_NAME_USE use;
    if (!LookupAccountSidW(nullptr, account, name, &nameSize, domain, &domainSize, &use)) {
        unique_local<LPWSTR> text;
        return ConvertSidToStringSidW(account, text.put()) ? Narrow(text.get()) : "";
    }
    wchar_t* end = domain + domainSize;
    if (domainSize != 0)
        *end++ = L'\\';
    std::wmemcpy(end, name, nameSize + 1);
    return Narrow(domain);
}

namespace {

// Who can change the file or folder at `path`, as a sentence that ends in
// `changed`; empty when no one can, or when its descriptor cannot be read.
std::string DescribeWhoCanChange(const wchar_t* path, Guarded what, PSID runningAccount,
                                 const char* changed) {
    unique_local<PSECURITY_DESCRIPTOR> descriptor;
    if (GetNamedSecurityInfoW(path, SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, nullptr, nullptr, descriptor.put()) != ERROR_SUCCESS)
        return {};
    const PSID account = WhoCanChange(descriptor.get(), what, runningAccount);
    return account ? NameOf(account) + changed : "";
}

} // namespace

PSID WhoCanChange(PSECURITY_DESCRIPTOR descriptor, Guarded what, PSID runningAccount) {
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    // An owner may rewrite the DACL whatever it says.
    if (GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) && owner &&
        !IsTrusted(owner, runningAccount))
        return owner;
    BOOL present = FALSE;
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted))
        return nullptr;
    if (!present || !dacl)
        return &Everyone;
    const ACCESS_MASK changes = what == Guarded::Folder ? FolderChanges : ProgramChanges;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* allowed = EntryOf(dacl, i, ACCESS_ALLOWED_ACE_TYPE);
        const PSID account = allowed ? &allowed->SidStart : nullptr;
        if (!account || IsTrusted(account, runningAccount))
            continue;
        // As the system's own check reads the list: in order, so that a right
        // denied to the account before this entry stays denied.
        ACCESS_MASK denied = 0;
        for (DWORD j = 0; j < i; ++j)
            if (ACCESS_ALLOWED_ACE* deny = EntryOf(dacl, j, ACCESS_DENIED_ACE_TYPE);
                deny && EqualSid(&deny->SidStart, account))
                denied |= FileRights(deny->Mask);
        if (FileRights(allowed->Mask) & ~denied & changes)
            return account;
    }
    return nullptr;
}

std::string WhoCanReplace(std::string_view path) {
    const int length = static_cast<int>(path.size());
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, path.data(), length, nullptr, 0);
    const unique_local<wchar_t*> file(
        static_cast<wchar_t*>(LocalAlloc(LPTR, (wideLength + 1) * sizeof(wchar_t))));
    if (!file)
        return {};
    MultiByteToWideChar(CP_ACP, 0, path.data(), length, file.get(), wideLength);
    int folderEnd = wideLength;
    while (folderEnd > 0 && file.get()[folderEnd - 1] != L'\\' && file.get()[folderEnd - 1] != L'/')
        --folderEnd;
    // The rules give a path with a drive. Its folder ends before the last
    // separator, but at the root keeps it: the folder of "C:\tool.exe" is
    // "C:\", while "C:" is the current folder on C:, where "C:tool.exe" lies.
    folderEnd = folderEnd > 3 ? folderEnd - 1 : folderEnd == 3 ? 3 : 2;

    base::unique_handle token;
    alignas(TOKEN_USER) BYTE user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD size = 0;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()) ||
        !GetTokenInformation(token.get(), TokenUser, user, sizeof user, &size))
        return {};
    const PSID runningAccount = reinterpret_cast<TOKEN_USER*>(user)->User.Sid;

    std::string sentence = DescribeWhoCanChange(file.get(), Guarded::Program, runningAccount,
                                                " can change the program");
    if (sentence.empty()) {
        file.get()[folderEnd] = L'\0';
        sentence = DescribeWhoCanChange(file.get(), Guarded::Folder, runningAccount,
                                        " can change the program's folder");
    }
    return sentence;
}

} // namespace rules
