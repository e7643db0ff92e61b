// Owns one Win32 handle and releases it with its own close function; declare a
// handle type in one line, e.g. base::unique_hkey in base/Handles.h.
#pragma once

#include <utility>

namespace base {

template <typename T, typename Close, Close close, T invalid = T{}>
class unique_any {
public:
    unique_any() = default;
    explicit unique_any(T value) : value_(value) {}
    unique_any(unique_any&& other) noexcept : value_(other.release()) {}
    unique_any& operator=(unique_any&& other) noexcept {
        reset(other.release());
        return *this;
    }
    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;
    ~unique_any() { reset(); }

    T get() const { return value_; }
    explicit operator bool() const { return value_ != invalid; }
    T* put() {
        reset();
        return &value_;
    }
    T release() { return std::exchange(value_, invalid); }
    void reset(T value = invalid) {
        if (value_ != invalid)
            close(value_);
        value_ = value;
    }

private:
    T value_ = invalid;
};

} // namespace base
