// SetDefault when the shell object cannot be created. ctest runs this with
// WINEDLLOVERRIDES=wshom.ocx=d, which takes the object away.
#include "registry_scratch.h"

#include <objbase.h>

namespace {

TEST_F(RegistryTest, SetDefaultWithoutTheShellObjectGivesFalse) {
    static constexpr CLSID shell = {
        0x72C24DD5, 0xD70A, 0x438B, {0x8A, 0x42, 0x98, 0x42, 0x4B, 0x88, 0xAF, 0xB8}};
    ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    IUnknown* object = nullptr;
    const HRESULT created = CoCreateInstance(shell, nullptr, CLSCTX_ALL, IID_IUnknown,
                                             reinterpret_cast<void**>(&object));
    if (object != nullptr)
        object->Release();
    CoUninitialize();
    ASSERT_TRUE(FAILED(created))
        << "the shell object exists: run with WINEDLLOVERRIDES=wshom.ocx=d";

    registry.ValueName("v");
    registry.ValueType(REG_SZ);
    registry.ValueData(Variant("x"));
    EXPECT_EQ(False, registry.SetDefault());
    EXPECT_FALSE(scratch.get(""));
}

} // namespace
