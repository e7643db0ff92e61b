// The command-line rules answered by the running system: its environment,
// its drives and files, its search for programs, and who may change them.
#pragma once

#include <string_view>

#include "rules/CommandLine.h"

namespace rules {

// The row's status on this machine, and who could take it over. The window's
// checks (the default) touch only local fixed drives and never wait for an
// account's name.
ProgramCheck CheckProgram(std::string_view commandLine);
ProgramStatus ProbeProgram(std::string_view commandLine);

// While one lives, the checks of the calling thread share their reads of
// rights: a load judges three rows whose programs mostly lie in the same
// folders. Once it ends, each check reads afresh, so that an edit sees what is
// there now.
class SharedReads {
public:
    SharedReads();
    ~SharedReads();
    SharedReads(const SharedReads&) = delete;
    SharedReads& operator=(const SharedReads&) = delete;

private:
    ReadRights reads_;
};

// For a front end without a window to freeze: each check then probes shares
// and removable drives too and waits for account names, on a thread of its
// own, and a check that takes longer than `milliseconds` cannot be checked.
// In an object of its own (WaitedChecks.cpp), linked only by those that call it.
void WaitForChecks(unsigned long milliseconds);

// What WaitForChecks sets: how long a check may wait, and what runs it in
// place of CheckProgramHere, the check in the calling thread.
using CheckRunner = ProgramCheck (*)(std::string_view commandLine);
void SetCheckWait(unsigned long milliseconds, CheckRunner runner);
ProgramCheck CheckProgramHere(std::string_view commandLine);

} // namespace rules
