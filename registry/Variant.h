// A value that carries its kind with it, as the Registry class reads, writes
// and keeps it. Plain C++ (no Windows headers) so it can be built and fuzzed
// anywhere. Texts are bytes in the system ANSI code page, as the registry's
// ANSI entry points hand them over.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>
#include <vector>

// A double's text form as the platform writes it: on Windows OLE Automation's,
// in the invariant locale, with up to 15 significant digits ("2.5",
// "0.333333333333333", "1E+20"). Defined beside the system calls
// (registry/NumberText.cpp), so that this header stays plain C++.
std::string numberText(double number);

// An array indexed from lowerBound: the value getter hands out byte arrays from
// 0, the listing operations fill string arrays from 1. "Empty" means no
// elements at all, whatever the lower bound.
template <typename T>
struct BasedArray {
    std::int32_t lowerBound = 0;
    std::vector<T> elements;

    bool empty() const { return elements.empty(); }
    std::int32_t count() const { return static_cast<std::int32_t>(elements.size()); }
    std::int32_t upperBound() const { return lowerBound + count() - 1; }
    bool contains(std::int32_t index) const {
        return index >= lowerBound && static_cast<std::int64_t>(index) - lowerBound < count();
    }
    // Indices outside the bounds throw std::out_of_range, like a checked array.
    const T& operator[](std::int32_t index) const { return elements.at(position(index)); }
    T& operator[](std::int32_t index) { return elements.at(position(index)); }

    bool operator==(const BasedArray&) const = default;

private:
    std::size_t position(std::int32_t index) const {
        if (!contains(index))
            throw std::out_of_range("array index out of range");
        return static_cast<std::size_t>(static_cast<std::int64_t>(index) - lowerBound);
    }
};

using ByteArray = BasedArray<std::uint8_t>;
using StringArray = BasedArray<std::string>;

class Variant {
public:
    enum class Kind { Empty, Text, Int16, Int32, Bytes, Double };

    Variant() = default;
    Variant(std::string text) : value_(std::move(text)) {}
    Variant(const char* text) : value_(std::string(text)) {}
    Variant(std::int16_t number) : value_(number) {}
    Variant(std::int32_t number) : value_(number) {}
    Variant(ByteArray bytes) : value_(std::move(bytes)) {}
    Variant(double number) : value_(number) {}

    Kind kind() const { return static_cast<Kind>(value_.index()); }
    bool isEmpty() const { return kind() == Kind::Empty; }
    bool isInteger() const { return kind() == Kind::Int16 || kind() == Kind::Int32; }

    // Each accessor throws std::bad_variant_access for another kind.
    const std::string& text() const { return std::get<std::string>(value_); }
    std::int16_t int16() const { return std::get<std::int16_t>(value_); }
    std::int32_t int32() const { return std::get<std::int32_t>(value_); }
    const ByteArray& bytes() const { return std::get<ByteArray>(value_); }
    double number() const { return std::get<double>(value_); }

    // The text form: the text itself, an integer in decimal, "" for empty.
    // A double gives the platform's text (numberText); a byte array gives two
    // upper-case hex digits per element from the lowest index up, separated by
    // single spaces ("61 62 00"), so that a failure message shows binary data
    // legibly.
    std::string toText() const;

    bool operator==(const Variant&) const = default;

private:
    // The alternatives are in the order of Kind.
    std::variant<std::monostate, std::string, std::int16_t, std::int32_t, ByteArray, double> value_;
};
