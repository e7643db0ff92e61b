#include <gtest/gtest.h>

#include "registry/Handles.h"

TEST(Smoke, OpensAndClosesAKey) {
    unique_hkey key;
    ASSERT_EQ(0, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, key.put()));
    EXPECT_TRUE(key);
}
