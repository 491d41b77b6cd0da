#include "corvane/platform/NameIndex_p.h"
#include "corvane/platform/TextStore_p.h"

#include <gtest/gtest.h>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace corvane {
namespace {

// prefix 0, prefix 1, ... as the names of an index's items.
std::vector<std::string> numberedNames(const std::string& prefix, int count)
{
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i)
        names.push_back(prefix + std::to_string(i));
    return names;
}

TEST(NameIndex, NamesMatchWithoutCaseAndTheIndexAgreesWithASetUnderRandomEdits)
{
    EXPECT_TRUE(equalNoCase("Default Tree Row Settings", "default TREE row settings"));
    EXPECT_FALSE(equalNoCase("Row 1", "Row 2"));
    EXPECT_FALSE(equalNoCase("Row@", "Row`")); // '@' and '`' differ only in the bit that folds case
    EXPECT_FALSE(equalNoCase("ab", "abc"));
    for (const std::string name : {"", "a", "Seven77", "EightChr", "Cell 12345 Duration", "[s\tX]"}) {
        std::string upper = name;
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(hashNoCase(name), hashNoCase(upper)) << name;
    }

    // Erasing moves later entries of a probe run back; every name left must still be found.
    const std::vector<std::string> names = numberedNames("Name ", 3000);
    const auto nameAt = [&names](std::size_t i) { return std::string_view(names[i]); };
    TNameIndex index;
    index.Reserve(100);
    std::set<std::size_t> model;
    std::mt19937 random(3);
    for (int step = 0; step < 20000; ++step) {
        const std::size_t i = random() % names.size();
        if (random() % 3 == 0) {
            index.Erase(names[i], nameAt);
            model.erase(i);
        } else {
            EXPECT_EQ(index.Insert(names[i], i, nameAt), model.insert(i).second);
        }
    }
    EXPECT_EQ(index.Size(), model.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        ASSERT_EQ(index.Find("NAME " + std::to_string(i), nameAt), model.contains(i) ? i : TNameIndex::NotFound);
}

// An index reserved for a document of millions of names lies in memory of another kind.
TEST(NameIndex, AnIndexForMillionsOfNamesAnswersLikeASmallOne)
{
    const std::vector<std::string> names = numberedNames("Bar ", 500000);
    const auto nameAt = [&names](std::size_t i) { return std::string_view(names[i]); };
    TNameIndex index;
    index.Reserve(3000000);
    for (std::size_t i = 0; i < names.size(); ++i)
        ASSERT_TRUE(index.Insert(names[i], i, nameAt));
    for (std::size_t i = 0; i < names.size(); i += 2)
        index.Erase(names[i], nameAt);
    TNameIndex grown; // past the size where its memory changes kind, and back by moving
    for (std::size_t i = 0; i < names.size(); ++i)
        ASSERT_TRUE(grown.Insert(names[i], i, nameAt));
    const TNameIndex moved = std::move(grown);
    for (std::size_t i = 0; i < names.size(); ++i) {
        ASSERT_EQ(index.Find("BAR " + std::to_string(i), nameAt), i % 2 ? i : TNameIndex::NotFound);
        ASSERT_EQ(moved.Find("bar " + std::to_string(i), nameAt), i);
    }
    EXPECT_EQ(index.Find("Bar 500000", nameAt), TNameIndex::NotFound);
}

TEST(TextStore, KeepsEveryTextWhereItWasStored)
{
    TTextStore store;
    std::vector<std::string_view> stored;
    for (int i = 0; i < 20000; ++i)
        stored.push_back(store.Store(std::string(static_cast<std::size_t>(i % 300), static_cast<char>('a' + i % 26))));
    stored.push_back(store.Store(std::string(1 << 20, 'z')));
    for (int i = 0; i < 20000; ++i)
        ASSERT_EQ(stored[static_cast<std::size_t>(i)],
                  std::string(static_cast<std::size_t>(i % 300), static_cast<char>('a' + i % 26)));
    EXPECT_EQ(stored.back().size(), 1u << 20);
}

} // namespace
} // namespace corvane
