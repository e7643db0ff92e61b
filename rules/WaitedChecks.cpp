// The checks of a front end without a window: each on a thread of its own,
// waited for a bounded time.
#include <windows.h>

#include <memory>
#include <string>
#include <utility>

#include "base/Handles.h"
#include "rules/ProgramProbe.h"

namespace rules {

namespace {

DWORD waitForCheck = 0;

struct Job {
    std::string line;
    ProgramCheck check{ProgramStatus::CannotCheck, {}};
};

DWORD WINAPI RunJob(void* context) {
    Job& job = *static_cast<Job*>(context);
    try {
        job.check = CheckProgramHere(job.line);
    } catch (...) {
        // Left as CannotCheck: the thread has no one else to tell.
    }
    return 0;
}

ProgramCheck CheckOnThread(std::string_view commandLine) {
    auto job = std::make_unique<Job>(Job{std::string(commandLine)});
    const base::unique_handle thread(CreateThread(nullptr, 0, RunJob, job.get(), 0, nullptr));
    if (thread && WaitForSingleObject(thread.get(), waitForCheck) == WAIT_OBJECT_0)
        return std::move(job->check);
    // A share that does not answer holds the thread, which still uses its
    // job: both are left to it, as the program ends soon after.
    if (thread)
        static_cast<void>(job.release());
    return {ProgramStatus::CannotCheck, {}};
}

} // namespace

void WaitForChecks(unsigned long milliseconds) {
    waitForCheck = milliseconds;
    SetCheckWait(milliseconds, CheckOnThread);
}

} // namespace rules
