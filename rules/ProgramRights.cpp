#include "rules/ProgramRights.h"

#include <sddl.h>

#include <cstring>
#include <memory>
#include <utility>

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
// Its entries take the place of the owner's implicit right to rewrite the DACL.
SID OwnerRights{
    SID_REVISION, 1, SECURITY_CREATOR_SID_AUTHORITY, {SECURITY_CREATOR_OWNER_RIGHTS_RID}};

constexpr SID_IDENTIFIER_AUTHORITY CreatorAuthority = SECURITY_CREATOR_SID_AUTHORITY;

// Rights that let an account give itself every other.
constexpr ACCESS_MASK RewritesRights = WRITE_DAC | WRITE_OWNER;

// The accounts that already hold every right the program would run with: the
// system, its administrators (a domain's among them), TrustedInstaller and
// the account checking when it is one of those.
bool IsTrusted(PSID account, PSID runningAccount) {
    if ((runningAccount && EqualSid(account, runningAccount)) ||
        IsWellKnownSid(account, WinLocalSystemSid) ||
        IsWellKnownSid(account, WinBuiltinAdministratorsSid) ||
        EqualSid(account, &TrustedInstaller))
        return true;
    // S-1-5-21-<domain>-512 and -519.
    const SID* sid = static_cast<const SID*>(account);
    return sid->SubAuthorityCount == 5 && sid->SubAuthority[0] == SECURITY_NT_NON_UNIQUE &&
           std::memcmp(&sid->IdentifierAuthority, &TrustedInstaller.authority,
                       sizeof CreatorAuthority) == 0 &&
           (*GetSidSubAuthority(account, 4) == DOMAIN_GROUP_RID_ADMINS ||
            *GetSidSubAuthority(account, 4) == DOMAIN_GROUP_RID_ENTERPRISE_ADMINS);
}

ACCESS_MASK FileRights(ACCESS_MASK mask) {
    GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                            FILE_ALL_ACCESS};
    MapGenericMask(&mask, &mapping);
    return mask;
}

// The DACL's entry at `index` when it allows or denies and applies to the
// object itself, not only to what the object's children inherit. Allowing and
// denying entries share one layout.
ACCESS_ALLOWED_ACE* EntryOf(PACL dacl, DWORD index) {
    void* entry = nullptr;
    if (!GetAce(dacl, index, &entry))
        return nullptr;
    const auto ace = static_cast<ACCESS_ALLOWED_ACE*>(entry);
    return ace->Header.AceType <= ACCESS_DENIED_ACE_TYPE &&
                   !(ace->Header.AceFlags & INHERIT_ONLY_ACE)
               ? ace
               : nullptr;
}

std::string SidText(PSID account) {
    unique_local<LPSTR> text;
    return ConvertSidToStringSidA(account, text.put()) ? text.get() : "";
}

// The account this process runs as, when the rules trust it: SYSTEM or a
// member of Administrators, whose rights UAC may have filtered out of this
// process but not out of the account. A standard user's logon script checks
// as that user, who must then be named like any other.
PSID FindTrustedRunningAccount() {
    alignas(TOKEN_USER) static BYTE user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    alignas(TOKEN_GROUPS) BYTE groups[16384];
    base::unique_handle token;
    DWORD size = 0;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()) ||
        !GetTokenInformation(token.get(), TokenUser, user, sizeof user, &size) ||
        !GetTokenInformation(token.get(), TokenGroups, groups, sizeof groups, &size))
        return nullptr;
    const PSID running = reinterpret_cast<TOKEN_USER*>(user)->User.Sid;
    bool trusted = IsWellKnownSid(running, WinLocalSystemSid);
    const TOKEN_GROUPS& memberships = *reinterpret_cast<TOKEN_GROUPS*>(groups);
    for (DWORD i = 0; i < memberships.GroupCount; ++i)
        trusted = trusted || IsWellKnownSid(memberships.Groups[i].Sid, WinBuiltinAdministratorsSid);
    return trusted ? running : nullptr;
}

// The file or folder at `path` for `access`, or nothing with the system's
// error as the last error.
base::unique_handle Opened(const char* path, DWORD access, DWORD flags) {
    const HANDLE file =
        CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
    return base::unique_handle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

// Where a link leads, "C:\..." or "\\server\share\..."; empty when the system
// cannot tell.
std::string TargetOf(const char* path) {
    const base::unique_handle target(Opened(path, 0, 0));
    char found[32768];
    const DWORD length =
        target ? GetFinalPathNameByHandleA(target.get(), found, sizeof found, VOLUME_NAME_DOS) : 0;
    if (length < 8 || length >= sizeof found)
        return {};
    // "\\?\C:\..." or "\\?\UNC\server\share\...".
    const bool share = std::memcmp(found + 4, "UNC\\", 4) == 0;
    if (share)
        found[6] = '\\';
    return found + (share ? 6 : 4);
}

struct NameCache {
    SRWLOCK lock = SRWLOCK_INIT;
    // Each account asked about, its SID's bytes (whose own length they tell),
    // then its name once it is known.
    std::vector<std::string> names;
    base::unique_handle found{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
};

// Never destroyed: a lookup waiting on a domain may still run as the program
// ends.
NameCache& Names() {
    static NameCache* const cache = new NameCache;
    return *cache;
}

// "Name" for the system's own accounts and groups (Everyone, Users,
// Authenticated Users), "DOMAIN\Name" for any other; the SID for one the
// system cannot name (a deleted user).
void CALLBACK LookUpName(PTP_CALLBACK_INSTANCE, void* context) {
    const std::unique_ptr<std::string> account(static_cast<std::string*>(context));
    const PSID sid = account->data();
    char name[256];
    // The domain, then a backslash and the name after it.
    char domain[256 + 1 + 256];
    DWORD nameSize = 256;
    DWORD domainSize = 256;
    SID_NAME_USE use;
    const char* text = domain;
    if (!LookupAccountSidA(nullptr, sid, name, &nameSize, domain, &domainSize, &use)) {
        *account += SidText(sid);
        text = "";
    } else if (use == SidTypeWellKnownGroup || use == SidTypeAlias || domain[0] == '\0') {
        text = name;
    } else {
        // By the texts' own ends: Wine's ANSI lookup leaves the sizes as given.
        const std::size_t length = std::strlen(domain);
        domain[length] = '\\';
        std::memcpy(domain + length + 1, name, std::strlen(name) + 1);
    }
    *account += text;
    NameCache& cache = Names();
    AcquireSRWLockExclusive(&cache.lock);
    for (std::string& known : cache.names)
        if (known.size() < account->size() && account->starts_with(known))
            known = *account;
    ReleaseSRWLockExclusive(&cache.lock);
    SetEvent(cache.found.get());
}

} // namespace

std::vector<Grant> GrantsOf(PSECURITY_DESCRIPTOR descriptor, PSID runningAccount) {
    std::vector<Grant> grants;
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    BOOL present = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorOwner(descriptor, &owner, &defaulted);
    if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) || !present || !dacl) {
        grants.push_back(
            {std::string(reinterpret_cast<const char*>(&Everyone), sizeof Everyone), ~0u});
        return grants;
    }
    bool ownerRights = false;
    for (DWORD i = 0; i < dacl->AceCount; ++i)
        if (const ACCESS_ALLOWED_ACE* entry = EntryOf(dacl, i))
            ownerRights =
                ownerRights || EqualSid(const_cast<DWORD*>(&entry->SidStart), &OwnerRights);
    // The owner, then each account an entry allows, in order; the first that
    // can change the object is the one a sentence names.
    for (DWORD candidate = 0; candidate <= dacl->AceCount; ++candidate) {
        const ACCESS_ALLOWED_ACE* allowing =
            candidate == 0 ? nullptr : EntryOf(dacl, candidate - 1);
        const PSID account = candidate == 0 ? owner
                             : allowing && allowing->Header.AceType == ACCESS_ALLOWED_ACE_TYPE
                                 ? const_cast<DWORD*>(&allowing->SidStart)
                                 : nullptr;
        // CREATOR OWNER and its kin stand for accounts only in what children
        // inherit: on the object itself they grant nothing.
        if (!account || IsTrusted(account, runningAccount) ||
            std::memcmp(GetSidIdentifierAuthority(account), &CreatorAuthority,
                        sizeof CreatorAuthority) == 0)
            continue;
        const bool isOwner = owner && EqualSid(account, owner);
        const bool isEveryone = EqualSid(account, &Everyone);
        // The owner may rewrite the DACL whatever it says, unless OWNER RIGHTS
        // entries say what the owner may do.
        ACCESS_MASK granted = isOwner && !ownerRights ? WRITE_DAC : 0;
        ACCESS_MASK denied = 0;
        // As the system's own check reads the list: in order, each right
        // settled by the first entry that names it.
        for (DWORD i = 0; i < dacl->AceCount; ++i) {
            const ACCESS_ALLOWED_ACE* entry = EntryOf(dacl, i);
            if (!entry)
                continue;
            const PSID named = const_cast<DWORD*>(&entry->SidStart);
            const bool denies = entry->Header.AceType == ACCESS_DENIED_ACE_TYPE;
            if (!EqualSid(named, account) && !EqualSid(named, &Everyone) &&
                !(IsWellKnownSid(named, WinAuthenticatedUserSid) && (denies || !isEveryone)) &&
                !(isOwner && EqualSid(named, &OwnerRights)))
                continue;
            const ACCESS_MASK mask = FileRights(entry->Mask);
            if (denies)
                denied |= mask & ~granted;
            else
                granted |= mask & ~denied;
        }
        if (granted & RewritesRights)
            granted = ~0u;
        if (granted & ~(READ_CONTROL | SYNCHRONIZE | FILE_GENERIC_READ | FILE_GENERIC_EXECUTE))
            grants.push_back(
                {std::string(static_cast<const char*>(account), GetLengthSid(account)), granted});
    }
    return grants;
}

ObjectRights RightsOf(const char* path) {
    ObjectRights object;
    // The attributes come without opening the file: a link is opened as
    // itself, anything else as it is.
    const DWORD attributes = GetFileAttributesA(path);
    const DWORD error = GetLastError();
    object.presence = attributes == INVALID_FILE_ATTRIBUTES &&
                              (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
                          ? Presence::Missing
                          : Presence::CannotCheck;
    const bool reparse =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    // Whoever may change a link may point it elsewhere.
    const base::unique_handle file(attributes == INVALID_FILE_ATTRIBUTES
                                       ? base::unique_handle()
                                       : Opened(path, READ_CONTROL | FILE_READ_ATTRIBUTES,
                                                reparse ? FILE_FLAG_OPEN_REPARSE_POINT : 0));
    // Room for the largest descriptor the system keeps, so that one request
    // reads it.
    alignas(SECURITY_DESCRIPTOR) BYTE descriptor[65536];
    DWORD size = 0;
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!file ||
        !GetKernelObjectSecurity(file.get(), OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                 descriptor, sizeof descriptor, &size) ||
        (reparse &&
         !GetFileInformationByHandleEx(file.get(), FileAttributeTagInfo, &tag, sizeof tag)))
        return object;
    object.presence = Presence::Present;
    static const PSID running = FindTrustedRunningAccount();
    object.grants = GrantsOf(descriptor, running);
    // Other reparse points (a cloud file, a deduplicated one) are the file
    // itself.
    if (tag.ReparseTag == IO_REPARSE_TAG_SYMLINK || tag.ReparseTag == IO_REPARSE_TAG_MOUNT_POINT) {
        object.linkTarget = TargetOf(path);
        if (object.linkTarget.empty())
            object.presence = Presence::CannotCheck;
    }
    return object;
}

std::string NameOf(const std::string& account, bool wait) {
    NameCache& cache = Names();
    std::string name;
    AcquireSRWLockExclusive(&cache.lock);
    for (const std::string& known : cache.names)
        if (known.starts_with(account))
            name = known;
    if (name.empty())
        cache.names.push_back(account);
    ReleaseSRWLockExclusive(&cache.lock);
    if (name.empty()) {
        auto copy = std::make_unique<std::string>(account);
        if (wait)
            LookUpName(nullptr, copy.release());
        else if (TrySubmitThreadpoolCallback(LookUpName, copy.get(), nullptr))
            static_cast<void>(copy.release());
        return wait ? NameOf(account, false) : SidText(const_cast<char*>(account.data()));
    }
    return name.size() > account.size() ? name.substr(account.size())
                                        : SidText(const_cast<char*>(account.data()));
}

HANDLE NamesFound() {
    return Names().found.get();
}

} // namespace rules
