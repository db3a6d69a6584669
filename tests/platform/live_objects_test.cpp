#include <gtest/gtest.h>

#include "com_object.h"
#include "platform_testing.h"

namespace {

struct Probe : platform::ComObject<IUnknown> {
    bool IsInterface(REFIID) const override { return false; }
};

TEST(LiveObjects, CountsCreationAndFinalRelease) {
    const int before = platform_testing::LiveObjectCount();
    auto* probe = new Probe;
    EXPECT_EQ(platform_testing::LiveObjectCount(), before + 1);
    EXPECT_EQ(probe->AddRef(), 2u);
    EXPECT_EQ(probe->Release(), 1u);
    EXPECT_EQ(platform_testing::LiveObjectCount(), before + 1);
    EXPECT_EQ(probe->Release(), 0u);
    EXPECT_EQ(platform_testing::LiveObjectCount(), before);
}

}  // namespace
