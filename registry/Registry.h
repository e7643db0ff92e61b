// Access to one registry location: set the root (KeyClass), the key path
// (KeyName) and, where needed, the value's name and type, then call an
// operation. Each operation opens what it needs and closes it before it
// returns or raises; no key stays open between calls. Failures are raised as
// RegistryError, except SetDefault's, which give 0.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "registry/Boolean.h"
#include "registry/RegistryError.h"
#include "registry/Variant.h"

// The value ValueName names as the registry holds it, neither decoded nor
// expanded: two reads compare equal only when nothing changed in between.
struct StoredValue {
    std::int16_t keyExists = 1; // as KeyExists gives it
    bool read = false;          // false: the value is missing or cannot be read
    std::int32_t type = 0;      // any code, 0xFFFFFFFF included, when read
    std::vector<std::uint8_t> data;
    bool operator==(const StoredValue&) const = default;
};

class Registry {
public:
    // 0 when the key can be opened for reading, 1 otherwise (missing, denied,
    // no valid root): the main window uses it directly as the "switched off"
    // check state.
    std::int16_t KeyExists() const;
    Boolean CreateKey() const;
    // Deletes the key if it is present and has no subkeys; false on every path.
    Boolean DeleteKey() const;
    Boolean DeleteValue() const;
    Variant ValueData();
    void ValueData(const Variant& vValue);
    // Reads without touching ValueType, which decides the type a save writes.
    StoredValue Stored() const;
    // What ValueData gives for a value read by Stored, with no second read:
    // Default for a missing key or value, else the decoded data, expanded or
    // reversed by type; ValueType becomes the type, as after ValueData.
    Variant ValueOf(const StoredValue& stored);
    // Value names, indexed from 1; never raises for a registry failure.
    Boolean EnumerateValues(StringArray& sKeyNames, std::int32_t& iKeyCount) const;
    // Subkey names, indexed from 1; other failures raise 0x800469AA.
    Boolean EnumerateKeys(StringArray& sSect, std::int32_t& iSectCount) const;
    std::int32_t ValueType() const { return valueType_; }
    void ValueType(std::int32_t eValueType) { valueType_ = eValueType; }
    std::int32_t KeyClass() const { return keyClass_; }
    void KeyClass(std::int32_t eKey) { keyClass_ = eKey; }
    std::string KeyName() const { return keyName_; }
    void KeyName(std::string sSectionKey) { keyName_ = std::move(sSectionKey); }
    std::string ValueName() const { return valueName_; }
    void ValueName(std::string sValueKey) { valueName_ = std::move(sValueKey); }
    Variant Default() const { return default_; }
    void Default(Variant vDefault) { default_ = std::move(vDefault); }
    void DleteKeyAndSubKeys() const;
    // Writes the last value given to ValueData as the key's unnamed value
    // through the shell object; -1 on success, 0 on any failure.
    Boolean SetDefault() const noexcept;
    Variant DeleteDefault() const { return {}; }

private:
    std::int32_t ReverseByteOrder(std::int32_t value) const;
    std::string ExpandVariables(const std::string& text) const;

    std::int32_t keyClass_ = 0;
    std::string keyName_;
    std::string valueName_;
    Variant lastValueData_;
    Variant default_;
    std::int32_t valueType_ = 0;
};
