#include "registry/KeyWatch.h"

#include <utility>

namespace {

constexpr DWORD anyChange = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;

// The path one level up; empty for a key just below the root.
std::string parentOf(const std::string& path) {
    const auto cut = path.rfind('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

} // namespace

KeyWatch::KeyWatch(HKEY root, std::string keyName, std::string highest)
    : root_(root), keyName_(std::move(keyName)), highest_(std::move(highest)),
      event_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

bool KeyWatch::Arm() {
    // Closing a watched key signals the event: the old watch goes before the
    // event is cleared.
    watched_.reset();
    parent_.reset();
    if (!event_)
        return false;
    ResetEvent(event_.get());

    // A key that may be read but not watched hands the watch up too.
    std::string path = keyName_;
    while (RegOpenKeyExA(root_, path.c_str(), 0, KEY_NOTIFY, watched_.put()) != ERROR_SUCCESS) {
        if (path.size() <= highest_.size())
            return false;
        path = parentOf(path);
    }
    if (RegNotifyChangeKeyValue(watched_.get(), TRUE, anyChange, event_.get(), TRUE) !=
        ERROR_SUCCESS) {
        watched_.reset();
        ResetEvent(event_.get());
        return false;
    }
    // The watched key's own deletion changes only its parent's list of
    // subkeys: Wine never signals a watch on a key that is deleted.
    const std::string parent = parentOf(path);
    if (!path.empty() &&
        RegOpenKeyExA(root_, parent.c_str(), 0, KEY_NOTIFY, parent_.put()) == ERROR_SUCCESS &&
        RegNotifyChangeKeyValue(parent_.get(), FALSE, REG_NOTIFY_CHANGE_NAME, event_.get(), TRUE) !=
            ERROR_SUCCESS)
        parent_.reset();
    return true;
}
