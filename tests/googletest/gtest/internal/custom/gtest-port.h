// GoogleTest's hook for a build's own settings, found before its empty one
// when it is built from source with MinGW-w64 (tests/CMakeLists.txt). The
// win32 thread model has no std::mutex or std::condition_variable, of which
// GoogleTest makes its Notification; GoogleTest's threads run on the system's
// own, and only its own tests wait for a Notification.
#pragma once

#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
public:
    Notification() = default;
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { notified_ = true; }
    void WaitForNotification() {
        while (!notified_) {
        }
    }

private:
    std::atomic<bool> notified_{false};
};

} // namespace testing::internal
