// Who, other than the accounts that already hold every right a program would
// run with, could change a file or folder, read from its security descriptor;
// and the names of those accounts. Windows only: the rules that build natively
// ask it through ProgramFacts.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "rules/CommandLine.h"

namespace rules {

// The grants in the descriptor to the accounts the rules do not trust, its
// owner's first, then in its DACL's order: every account but SYSTEM,
// Administrators, TrustedInstaller, a domain's Domain Admins and Enterprise
// Admins and `runningAccount` (null when the running account is not trusted:
// it is neither SYSTEM nor an administrator). Entries for Everyone count for
// every account, and so do Authenticated Users' but for Everyone itself.
std::vector<Grant> GrantsOf(PSECURITY_DESCRIPTOR descriptor, PSID runningAccount);

// The file or folder at `path` (in the ANSI code page, as every path of the
// rules), with one read of its descriptor; a link's own.
ObjectRights RightsOf(const char* path);

// The name of a Grant's account, looked up once per account. LookupAccountSidW
// may wait long for a domain that does not answer: unless the caller may
// `wait`, the lookup runs on a thread of the system's pool, the account's SID
// stands in until the name is known, and NamesFound is signalled as each name
// comes.
std::string NameOf(const std::string& account, bool wait);
HANDLE NamesFound();

} // namespace rules
