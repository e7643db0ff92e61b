// Whether an account other than the system's own could put another program in
// the place of a tool's program, read from the program's and its folder's
// security descriptors. Windows only: the rules that build natively ask it
// through ProgramFacts::WhoCanReplace.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace rules {

enum class Guarded { Program, Folder };

// The first account, in the descriptor's order (its owner, then its DACL's
// entries), other than SYSTEM, Administrators, TrustedInstaller and
// `runningAccount`, that can change the object; nullptr when none can. The
// answer points into `descriptor`, or to a constant for Everyone.
PSID WhoCanChange(PSECURITY_DESCRIPTOR descriptor, Guarded what, PSID runningAccount);

// For the program at `path` (in the ANSI code page), then its folder, who can
// change it as a sentence, such as "BUILTIN\Users can change the program's
// folder"; empty when no one can, as far as the descriptors that can be read
// tell.
std::string WhoCanReplace(std::string_view path);

// "DOMAIN\Name" in the ANSI code page, or "Everyone" for the accounts without a
// domain; an account the system cannot name (a deleted user's) as its SID.
std::string NameOf(PSID account);

} // namespace rules
