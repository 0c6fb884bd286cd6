#include "platform/ProcessMemory.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// Blocks freed between blocks still in use leave whole pages free inside the
// allocator's heap; they stay resident until handed back.
TEST(ReturnFreeMemory, HandsTheFreedPagesBackToTheSystem) {
    constexpr int kBlocks = 48 * 1024;  // 48 MiB in 1 KiB blocks, below the mapping threshold
    std::vector<std::unique_ptr<char[]>> blocks(kBlocks);
    for (auto& block : blocks) {
        block.reset(new char[1024]);
        block[0] = 1;
        block[1023] = 1;
    }
    for (int i = 0; i < kBlocks; ++i)
        if (i % 64 != 0) blocks[i].reset();  // one block in each 64 KiB stays
    const auto before = tonvik::platform::OwnAnonymousResidentKb();
    ASSERT_TRUE(before);
    tonvik::platform::ReturnFreeMemory();
    const auto after = tonvik::platform::OwnAnonymousResidentKb();
    ASSERT_TRUE(after);
    EXPECT_GT(*before - *after, 24 * 1024) << *before << " KiB before, " << *after << " KiB after";
}
