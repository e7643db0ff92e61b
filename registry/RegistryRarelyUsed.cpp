// The members of the class that neither of Quillmere's programs calls: a key
// deleted on its own, a value deleted, and the listing of value names. In an
// object of their own, so that a static link takes them only into an
// executable that calls them, such as the tests.
#include "registry/Registry.h"

#include <windows.h>

#include <vector>

#include "registry/RegistryAccess.h"
#include "registry/ValueCodec.h"

using namespace registry_detail;

Boolean Registry::DeleteKey() const {
    // RegDeleteKeyA refuses a key with subkeys; that refusal is deliberately
    // silent, since DleteKeyAndSubKeys relies on deleting what it can.
    if (KeyExists() == 0)
        RegDeleteKeyA(rootHandle(keyClass_), keyName_.c_str());
    return False;
}

Boolean Registry::DeleteValue() const {
    base::unique_hkey key;
    if (openKey(keyClass_, keyName_, writeAccess, key) != ERROR_SUCCESS)
        raiseFailure(ErrorNumber::RegistryFailure,
                     describeOpenForDeleteFailure(keyClass_, keyName_));
    const LSTATUS status = RegDeleteValueA(key.get(), valueName_.c_str());
    key.reset();
    if (status != ERROR_SUCCESS)
        raiseFailure(ErrorNumber::RegistryFailure,
                     describeDeleteValueFailure(keyClass_, keyName_, valueName_));
    return True;
}

Boolean Registry::EnumerateValues(StringArray& sKeyNames, std::int32_t& iKeyCount) const {
    iKeyCount = 0;
    sKeyNames = StringArray{1, {}};
    base::unique_hkey key;
    if (openKey(keyClass_, keyName_, KEY_QUERY_VALUE, key) != ERROR_SUCCESS)
        return True;
    char noClass[] = "";
    DWORD classLength = 0;
    DWORD longestName = 0;
    if (RegQueryInfoKeyA(key.get(), noClass, &classLength, nullptr, nullptr, nullptr, nullptr,
                         nullptr, &longestName, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return True;

    for (std::int32_t index = 0;; index = nextCount(index)) {
        std::vector<char> name(longestName + 1, '\0');
        DWORD length = longestName + 1;
        if (RegEnumValueA(key.get(), static_cast<DWORD>(index), name.data(), &length, nullptr,
                          nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        sKeyNames.elements.emplace_back(name.data(), length);
        iKeyCount = nextCount(iKeyCount);
    }
    return True;
}
