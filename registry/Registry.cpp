#include "registry/Registry.h"

#include <windows.h>

#include <objbase.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <vector>

#include "base/Environment.h"
#include "base/Handles.h"
#include "registry/NtDeleteKey.h"
#include "registry/RegistryAccess.h"
#include "registry/ValueCodec.h"

namespace registry_detail {

HKEY rootHandle(std::int32_t keyClass) {
    return reinterpret_cast<HKEY>(static_cast<INT_PTR>(keyClass));
}

namespace {

std::string runningProgramSource() {
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size())
            return errorSource(std::string_view(path.data(), length));
        path.resize(path.size() * 2);
    }
}

} // namespace

[[noreturn]] void raiseFailure(std::int32_t number, std::string description) {
    throw RegistryError(number, runningProgramSource(), std::move(description));
}

std::int32_t nextCount(std::int32_t count) {
    if (count == std::numeric_limits<std::int32_t>::max())
        throw std::overflow_error("Overflow");
    return count + 1;
}

LSTATUS openKey(std::int32_t keyClass, const std::string& keyName, REGSAM access,
                base::unique_hkey& key) {
    return RegOpenKeyExA(rootHandle(keyClass), keyName.c_str(), 0, access, key.put());
}

} // namespace registry_detail

namespace {

using namespace registry_detail;

// The longest subkey name the registry allows (255) and its terminator.
constexpr DWORD subkeyNameBufferLength = 256;

// How often the value getter asks again for data that grew while it read them.
constexpr int maximumReadAttempts = 100;

// The shell object whose RegWrite writes the key's unnamed value.
constexpr CLSID shellClassId = {
    0x72C24DD5, 0xD70A, 0x438B, {0x8A, 0x42, 0x98, 0x42, 0x4B, 0x88, 0xAF, 0xB8}};

// A registry symbolic link: a key of its own, with no subkeys, whose value
// "SymbolicLinkValue" of type REG_LINK names the target that every open by
// name is sent on to. Only an open with REG_OPTION_OPEN_LINK reaches the link.
bool isSymbolicLink(std::int32_t keyClass, const std::string& keyName) {
    base::unique_hkey link;
    if (RegOpenKeyExA(rootHandle(keyClass), keyName.c_str(), REG_OPTION_OPEN_LINK, KEY_QUERY_VALUE,
                      link.put()) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD subkeys = 0;
    return RegQueryValueExA(link.get(), "SymbolicLinkValue", nullptr, &type, nullptr, nullptr) ==
               ERROR_SUCCESS &&
           type == REG_LINK &&
           RegQueryInfoKeyA(link.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           subkeys == 0;
}

// Deletes the key a name leads to itself, a link as the link: RegDeleteKeyA
// cannot, since it opens the key by name and so follows a link to delete its
// target, whereas NtDeleteKey deletes the key a handle was opened on. As with
// DeleteKey, a key that cannot be opened for a query (KeyExists would call it
// missing), has subkeys or may not be deleted stays, silently.
void deleteKeyItself(std::int32_t keyClass, const std::string& keyName) {
    base::unique_hkey key;
    if (RegOpenKeyExA(rootHandle(keyClass), keyName.c_str(), REG_OPTION_OPEN_LINK,
                      KEY_QUERY_VALUE | DELETE, key.put()) == ERROR_SUCCESS)
        NtDeleteKey(key.get());
}

LSTATUS openOrCreateKey(std::int32_t keyClass, const std::string& keyName, base::unique_hkey& key) {
    char noClass[] = "";
    SECURITY_ATTRIBUTES noSecurity{};
    DWORD disposition = 0;
    return RegCreateKeyExA(rootHandle(keyClass), keyName.c_str(), 0, noClass,
                           REG_OPTION_NON_VOLATILE, writeAccess, &noSecurity, key.put(),
                           &disposition);
}

LSTATUS storeValue(const base::unique_hkey& key, const std::string& valueName, DWORD type,
                   const void* data, std::size_t size) {
    if (size > std::numeric_limits<DWORD>::max())
        throw std::length_error("value data too long for the registry");
    return RegSetValueExA(key.get(), valueName.c_str(), 0, type, static_cast<const BYTE*>(data),
                          static_cast<DWORD>(size));
}

// Reads the data whatever their type into a buffer of the queried size, so
// that no type can make the read overrun its target; the codec then takes
// what each type needs. Another writer may change the value between the size
// query and the read: data that have grown meanwhile leave the buffer
// unfilled, so they are asked for again, and a value gone meanwhile reads as
// missing (false). The type is taken from the read that filled the buffer.
bool readValue(const base::unique_hkey& key, const std::string& valueName, DWORD& type,
               std::vector<std::uint8_t>& data, DWORD& reported) {
    for (int attempt = 0;; ++attempt) {
        DWORD size = 0;
        const LSTATUS query =
            RegQueryValueExA(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size);
        if (query != ERROR_SUCCESS && query != ERROR_MORE_DATA)
            return false;
        data.assign(size, 0);
        reported = size;
        const LSTATUS read = RegQueryValueExA(key.get(), valueName.c_str(), nullptr, &type,
                                              data.empty() ? nullptr : data.data(), &reported);
        const bool grown = read == ERROR_MORE_DATA || (read == ERROR_SUCCESS && reported > size);
        if (read == ERROR_SUCCESS && !grown)
            return true;
        // A value that keeps growing faster than it can be read is unreadable.
        if (!grown || attempt == maximumReadAttempts)
            return false;
    }
}

// Balances its own CoInitializeEx: S_FALSE (already initialised here) must be
// balanced too; RPC_E_CHANGED_MODE means another apartment is in use and is
// left alone.
class ComInitialization {
public:
    ComInitialization() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ComInitialization(const ComInitialization&) = delete;
    ComInitialization& operator=(const ComInitialization&) = delete;
    ~ComInitialization() {
        if (SUCCEEDED(result_))
            CoUninitialize();
    }

private:
    HRESULT result_;
};

base::unique_bstr ansiToBstr(const std::string& text) {
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        throw std::length_error("text too long for a BSTR");
    const int size = static_cast<int>(text.size());
    const int length =
        size == 0 ? 0 : MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (size != 0 && length == 0)
        throw std::runtime_error("text cannot be converted from the ANSI code page");
    base::unique_bstr converted(SysAllocStringLen(nullptr, static_cast<UINT>(length)));
    if (!converted)
        throw std::bad_alloc();
    if (length != 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), size, converted.get(), length);
    return converted;
}

void toVariant(const Variant& value, VARIANT& converted) {
    switch (value.kind()) {
    case Variant::Kind::Empty:
        converted.vt = VT_EMPTY;
        break;
    case Variant::Kind::Text:
        converted.bstrVal = ansiToBstr(value.text()).release();
        converted.vt = VT_BSTR;
        break;
    case Variant::Kind::Int16:
        converted.iVal = value.int16();
        converted.vt = VT_I2;
        break;
    case Variant::Kind::Int32:
        converted.lVal = value.int32();
        converted.vt = VT_I4;
        break;
    case Variant::Kind::Double:
        converted.dblVal = value.number();
        converted.vt = VT_R8;
        break;
    case Variant::Kind::Bytes: {
        const ByteArray& bytes = value.bytes();
        SAFEARRAYBOUND bound{static_cast<ULONG>(bytes.elements.size()), bytes.lowerBound};
        SAFEARRAY* array = SafeArrayCreate(VT_UI1, 1, &bound);
        if (array == nullptr)
            throw std::bad_alloc();
        converted.parray = array;
        converted.vt = VT_ARRAY | VT_UI1;
        if (!bytes.empty()) {
            void* data = nullptr;
            if (FAILED(SafeArrayAccessData(array, &data)))
                throw std::runtime_error("byte array cannot be filled");
            std::memcpy(data, bytes.elements.data(), bytes.elements.size());
            SafeArrayUnaccessData(array);
        }
        break;
    }
    }
}

// The shell object's RegWrite(Name, Value, Type), called late-bound.
bool shellRegWrite(const std::string& name, const Variant& value, std::string_view type) {
    ComInitialization com;
    Microsoft::WRL::ComPtr<IDispatch> shell;
    if (FAILED(CoCreateInstance(shellClassId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                IID_PPV_ARGS(&shell))))
        return false;

    wchar_t method[] = L"RegWrite";
    LPOLESTR names[] = {method};
    DISPID regWrite = 0;
    if (FAILED(shell->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &regWrite)))
        return false;

    base::unique_variant data;
    toVariant(value, *data.get());

    // IDispatch takes the arguments last first.
    base::unique_variant arguments[3];
    arguments[0]->bstrVal = ansiToBstr(std::string(type)).release();
    arguments[0]->vt = VT_BSTR;
    arguments[1]->pvarVal = data.get();
    arguments[1]->vt = VT_VARIANT | VT_BYREF;
    arguments[2]->bstrVal = ansiToBstr(name).release();
    arguments[2]->vt = VT_BSTR;
    VARIANTARG packed[3] = {*arguments[0].get(), *arguments[1].get(), *arguments[2].get()};

    DISPPARAMS parameters{packed, nullptr, 3, 0};
    EXCEPINFO exception{};
    UINT badArgument = 0;
    const HRESULT result = shell->Invoke(regWrite, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                         &parameters, nullptr, &exception, &badArgument);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return SUCCEEDED(result);
}

} // namespace

std::int16_t Registry::KeyExists() const {
    base::unique_hkey key;
    return openKey(keyClass_, keyName_, KEY_QUERY_VALUE, key) == ERROR_SUCCESS ? 0 : 1;
}

Boolean Registry::CreateKey() const {
    base::unique_hkey key;
    if (openOrCreateKey(keyClass_, keyName_, key) != ERROR_SUCCESS)
        raiseFailure(ErrorNumber::RegistryFailure, describeCreateKeyFailure(keyName_));
    return True;
}

Variant Registry::ValueData() {
    return ValueOf(Stored());
}

Variant Registry::ValueOf(const StoredValue& stored) {
    if (!stored.read)
        return default_;
    Variant result = decodeValueData(stored.type, stored.data, stored.data.size());
    if (stored.type == ValueTypeCode::ExpandString)
        result = ExpandVariables(result.text());
    else if (stored.type == ValueTypeCode::DwordBigEndian)
        result = ReverseByteOrder(result.int32());
    // Only now: a read that raises leaves the object as it was.
    valueType_ = stored.type;
    return result;
}

StoredValue Registry::Stored() const {
    StoredValue stored;
    base::unique_hkey key;
    if (openKey(keyClass_, keyName_, KEY_QUERY_VALUE, key) != ERROR_SUCCESS)
        return stored;
    stored.keyExists = 0;
    DWORD type = 0;
    DWORD reported = 0;
    if (readValue(key, valueName_, type, stored.data, reported)) {
        stored.read = true;
        stored.type = static_cast<std::int32_t>(type);
        stored.data.resize(std::min<std::size_t>(reported, stored.data.size()));
    } else {
        stored.data.clear();
    }
    return stored;
}

void Registry::ValueData(const Variant& vValue) {
    const auto failure = [&] {
        return describeSetValueFailure(keyClass_, keyName_, valueName_, vValue.toText());
    };
    base::unique_hkey key;
    if (openOrCreateKey(keyClass_, keyName_, key) != ERROR_SUCCESS)
        raiseFailure(ErrorNumber::RegistryFailure, failure());

    // The storage form follows ValueType, not the kind of vValue. Only a store
    // call that was made can fail; an unsupported type stores nothing and is
    // no failure.
    bool stored = false;
    LSTATUS status = ERROR_SUCCESS;
    switch (valueType_) {
    case ValueTypeCode::String:
    case ValueTypeCode::ExpandString: {
        const std::string text = vValue.toText();
        status = storeValue(key, valueName_, static_cast<DWORD>(textStorageType(text)),
                            text.c_str(), text.size() + 1);
        stored = true;
        break;
    }
    case ValueTypeCode::Binary: {
        if (vValue.kind() != Variant::Kind::Bytes)
            raiseFailure(ErrorNumber::RegistryFailure, failure());
        const ByteArray& bytes = vValue.bytes();
        if (!bytes.contains(0))
            raiseFailure(ErrorNumber::IndexOutOfRange,
                         "Index out of range: the byte array has no element 0");
        // Everything from element 0 to the end, the array's last element included.
        const auto first = static_cast<std::size_t>(-static_cast<std::int64_t>(bytes.lowerBound));
        status = storeValue(key, valueName_, REG_BINARY, bytes.elements.data() + first,
                            bytes.elements.size() - first);
        stored = true;
        break;
    }
    case ValueTypeCode::Dword:
    case ValueTypeCode::DwordBigEndian: {
        if (!vValue.isInteger())
            break;
        const auto number = static_cast<std::uint32_t>(
            vValue.kind() == Variant::Kind::Int16 ? vValue.int16() : vValue.int32());
        const std::uint8_t littleEndian[4] = {
            static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
            static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)};
        status = storeValue(key, valueName_, REG_DWORD, littleEndian, sizeof littleEndian);
        stored = true;
        break;
    }
    default:
        status = ERROR_INVALID_DATA;
        break;
    }
    key.reset();

    if (stored && status != ERROR_SUCCESS)
        raiseFailure(ErrorNumber::ValueStoreFailure, failure());
    lastValueData_ = vValue;
}

Boolean Registry::EnumerateKeys(StringArray& sSect, std::int32_t& iSectCount) const {
    try {
        iSectCount = 0;
        sSect = StringArray{1, {}};
        base::unique_hkey key;
        if (openKey(keyClass_, keyName_, KEY_ENUMERATE_SUB_KEYS, key) != ERROR_SUCCESS)
            return True;
        for (std::int32_t index = 0;; index = nextCount(index)) {
            std::vector<char> name(subkeyNameBufferLength, '\0');
            if (RegEnumKeyA(key.get(), static_cast<DWORD>(index), name.data(),
                            subkeyNameBufferLength) != ERROR_SUCCESS)
                break;
            sSect.elements.emplace_back(name.begin(), std::find(name.begin(), name.end(), '\0'));
            iSectCount = nextCount(iSectCount);
        }
        return True;
    } catch (const std::bad_alloc&) {
        raiseFailure(ErrorNumber::EnumerationFailure, "Out of memory");
    } catch (const std::exception& failure) {
        raiseFailure(ErrorNumber::EnumerationFailure, failure.what());
    }
}

void Registry::DleteKeyAndSubKeys() const {
    // All names of this level are collected before any is deleted: deleting
    // while enumerating by index would shift the indices and skip keys.
    StringArray names;
    std::int32_t count = 0;
    EnumerateKeys(names, count);
    // A symbolic link lists its target's subkeys, which lie outside the tree:
    // such a key is deleted as the link alone. Only a key that listed subkeys
    // needs the check, as a link has none of its own.
    if (count > 0 && isSymbolicLink(keyClass_, keyName_)) {
        deleteKeyItself(keyClass_, keyName_);
        return;
    }
    std::unique_ptr<Registry> child;
    for (std::int64_t i = 1; i <= count; ++i) {
        if (!child)
            child = std::make_unique<Registry>();
        child->KeyClass(keyClass_);
        child->KeyName(keyName_ + "\\" + names[static_cast<std::int32_t>(i)]);
        child->DleteKeyAndSubKeys();
    }
    // What DeleteKey does, but through the key itself rather than its name,
    // so that a link without subkeys, or one whose target is gone, goes as a
    // link and its target stays.
    deleteKeyItself(keyClass_, keyName_);
}

Boolean Registry::SetDefault() const noexcept {
    try {
        // The trailing backslash makes RegWrite address the key's unnamed value.
        const std::string name = std::string(rootShortName(keyClass_)) + "\\" + keyName_ + "\\";
        return shellRegWrite(name, lastValueData_, typeName(valueType_)) ? True : False;
    } catch (...) {
        return False;
    }
}

std::int32_t Registry::ReverseByteOrder(std::int32_t value) const {
    return reverseByteOrder(value);
}

std::string Registry::ExpandVariables(const std::string& text) const {
    std::optional<std::string> expanded = base::ExpandEnvironment(text);
    if (!expanded)
        raiseFailure(ErrorNumber::InvalidArgument,
                     "Invalid argument: environment references cannot be expanded");
    return *std::move(expanded);
}
