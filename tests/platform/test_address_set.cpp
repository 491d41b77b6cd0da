#include "corvane/platform/AddressSet_p.h"

#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <set>
#include <vector>

namespace corvane {
namespace {

// Addresses at regular distances, the case the hash must spread, through many doublings.
TEST(AddressSet, AgreesWithAStandardSetWhileGrowingAndTakesNull)
{
    std::vector<std::unique_ptr<int[]>> blocks;
    std::vector<const int*> addresses;
    for (int b = 0; b < 4; ++b) {
        blocks.push_back(std::make_unique<int[]>(20000));
        for (int i = 0; i < 20000; i += 2)
            addresses.push_back(&blocks.back()[static_cast<std::size_t>(i)]);
    }
    std::mt19937 random(7);
    TAddressSet<int> set;
    std::set<const int*> expected;
    for (int step = 0; step < 60000; ++step) {
        const int* p = addresses[random() % addresses.size()];
        ASSERT_EQ(set.insert(p), expected.insert(p).second) << "step " << step;
    }
    EXPECT_EQ(set.size(), expected.size());
    for (const int* p : addresses)
        ASSERT_EQ(set.contains(p), expected.count(p) == 1);

    // Null is a member like any other, and reserving keeps the members.
    int a = 0;
    int b = 0;
    TAddressSet<int> small{&a};
    EXPECT_FALSE(small.contains(nullptr));
    EXPECT_TRUE(small.insert(nullptr));
    EXPECT_FALSE(small.insert(nullptr));
    EXPECT_TRUE(small.contains(nullptr));
    EXPECT_FALSE(small.insert(&a));
    small.reserve(1000);
    EXPECT_TRUE(small.contains(&a));
    EXPECT_FALSE(small.contains(&b));
    EXPECT_EQ(small.size(), 2u);
    EXPECT_FALSE(TAddressSet<int>().contains(&a));
}

} // namespace
} // namespace corvane
