// SetDefault when the shell object cannot be created. ctest runs this with
// WINEDLLOVERRIDES=wshom.ocx=d, which takes the object away.
#include "support/ScratchKey.h"

namespace {

using namespace support;

TEST_F(RegistryTest, SetDefaultWithoutTheShellObjectGivesFalse) {
    const HRESULT created = createShellObject();
    ASSERT_TRUE(FAILED(created))
        << "the shell object exists: run with WINEDLLOVERRIDES=wshom.ocx=d";

    registry.ValueName("v");
    registry.ValueType(REG_SZ);
    registry.ValueData(Variant("x"));
    EXPECT_EQ(False, registry.SetDefault());
    EXPECT_FALSE(scratch.get(""));
}

} // namespace
