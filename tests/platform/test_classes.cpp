#include "corvane/platform/Classes.h"

#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>

namespace corvane {
namespace {

TEST(Component, OwnersKnowTheirComponentsUntilEitherGoes)
{
    TComponent owner;
    EXPECT_EQ(owner.ComponentCount(), 0);
    EXPECT_THROW(owner.Components(0), std::out_of_range);
    {
        TComponent first(&owner);
        auto second = std::make_unique<TComponent>(&owner);
        EXPECT_EQ(first.Owner(), &owner);
        ASSERT_EQ(owner.ComponentCount(), 2);
        EXPECT_EQ(owner.Components(1), second.get());

        TComponent other;
        other.InsertComponent(second.get());
        EXPECT_EQ(second->Owner(), &other);
        EXPECT_EQ(owner.ComponentCount(), 1);
        second.reset();
        EXPECT_EQ(other.ComponentCount(), 0);
    }
    EXPECT_EQ(owner.ComponentCount(), 0);

    auto parentless = std::make_unique<TComponent>();
    {
        TComponent shortLived;
        shortLived.InsertComponent(parentless.get());
    }
    EXPECT_EQ(parentless->Owner(), nullptr);
}

} // namespace
} // namespace corvane
