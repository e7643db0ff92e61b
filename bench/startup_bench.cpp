// Start-up benchmark: starts a program N times, measures the time from
// CreateProcess until its first visible top-level window exists and the
// process is idle, and its peak working set at that point, then closes it.
// Usage: startup_bench <runs> <program> [<program> ...]
// Programs are started alternately in each round so that both see the same
// machine load; the report gives medians and ratios to the first program.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/Handles.h"

namespace {

struct Sample {
    double milliseconds;
    double peakKiB;
};

struct FindData {
    DWORD processId;
    HWND window;
};

BOOL CALLBACK findVisibleWindow(HWND window, LPARAM param) {
    auto* data = reinterpret_cast<FindData*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == data->processId && IsWindowVisible(window) && !GetWindow(window, GW_OWNER)) {
        data->window = window;
        return FALSE;
    }
    return TRUE;
}

bool runOnce(const std::string& program, Sample& sample) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string commandLine = "\"" + program + "\"";
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    base::unique_handle processHandle(process.hProcess), threadHandle(process.hThread);
    WaitForInputIdle(process.hProcess, 10000);
    FindData data{process.dwProcessId, nullptr};
    for (int i = 0; i < 10000 && !data.window; ++i) {
        EnumWindows(findVisibleWindow, reinterpret_cast<LPARAM>(&data));
        if (!data.window)
            Sleep(1);
    }
    WaitForInputIdle(process.hProcess, 10000);
    QueryPerformanceCounter(&end);
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory);
    sample.milliseconds =
        1000.0 * double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    sample.peakKiB = double(memory.PeakWorkingSetSize) / 1024.0;
    if (data.window)
        PostMessageA(data.window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 5000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    return data.window != nullptr;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_bench <runs> <program> [<program> ...]\n");
        return 2;
    }
    int runs = std::max(1, std::atoi(argv[1]));
    std::vector<std::string> programs(argv + 2, argv + argc);
    std::vector<std::vector<double>> times(programs.size()), peaks(programs.size());
    // Round -1 warms Wine's caches and services and is not counted.
    for (int round = -1; round < runs; ++round) {
        for (size_t p = 0; p < programs.size(); ++p) {
            Sample sample{};
            if (!runOnce(programs[p], sample)) {
                std::fprintf(stderr, "%s showed no window\n", programs[p].c_str());
                return 1;
            }
            if (round < 0)
                continue;
            times[p].push_back(sample.milliseconds);
            peaks[p].push_back(sample.peakKiB);
        }
    }
    // The fastest start is also given: other work on the machine only ever
    // adds to a start, so the minimums are the steadier comparison.
    std::printf("%-48s %12s %7s %10s %7s %14s %7s\n", "program", "start (ms)", "ratio", "fastest",
                "ratio", "peak WS (KiB)", "ratio");
    const double baseTime = median(times[0]), basePeak = median(peaks[0]);
    const double baseFastest = *std::min_element(times[0].begin(), times[0].end());
    for (size_t p = 0; p < programs.size(); ++p) {
        const double t = median(times[p]), m = median(peaks[p]);
        const double fastest = *std::min_element(times[p].begin(), times[p].end());
        std::printf("%-48s %12.1f %7.2f %10.1f %7.2f %14.0f %7.2f\n", programs[p].c_str(), t,
                    t / baseTime, fastest, fastest / baseFastest, m, m / basePeak);
    }
    std::printf("medians (and fastest) over %d runs each\n", runs);
    return 0;
}
