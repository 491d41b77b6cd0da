// The sample document uses every type identifier; it loads without a message and survives a save.
#include "corvane/framework/media/qvtIniFileMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <set>

using namespace corvane;
using corvane::test::Capture;
using corvane::test::ScratchDir;

namespace {

struct Loaded {
    std::shared_ptr<TQVTGanttObject> root;
    std::set<std::string> typeIDs;
    std::multiset<std::string> references;
};

Loaded load(const std::string& path)
{
    Loaded loaded;
    TQVTINIFIle media(path);
    TQVTEntityFactory factory;
    factory.OnReference = [&](const TQVTReferenceEvent& e) {
        if (e.kind == TQVTReferenceEvent::Leave && e.object)
            loaded.typeIDs.insert(e.object->getPersistence()->getTypeID());
        if ((e.kind == TQVTReferenceEvent::Enter || e.kind == TQVTReferenceEvent::Shared) && !e.key.empty())
            loaded.references.insert(e.parentSection + "." + e.key + "[" + std::to_string(e.index) + "]=" + e.name);
    };
    loaded.root = factory.loadObject("root", media, nullptr);
    return loaded;
}

const std::string sample = std::string(CORVANE_SOURCE_DIR) + "/examples/every-type.ini";

} // namespace

TEST(EveryType, TheSampleDocumentLoadsEveryTypeWithoutAMessageAndSurvivesASave)
{
    Capture capture;
    const Loaded original = load(sample);
    ASSERT_NE(original.root, nullptr);
    EXPECT_TRUE(capture.messages.empty());
    std::set<std::string> all;
    for (const TQVTEntityType& type : QVTEntityTypes())
        all.insert(type.typeID);
    EXPECT_EQ(all.size(), 62u);
    EXPECT_EQ(original.typeIDs, all);

    // Saved and reloaded, every object and reference is kept.
    ScratchDir dir;
    const auto copy = dir.file("copy.ini");
    {
        TQVTINIFIle media(copy);
        TQVTEntityFactory factory;
        factory.saveObject("root", media, original.root.get());
        media.flush();
    }
    const Loaded reloaded = load(copy);
    ASSERT_NE(reloaded.root, nullptr);
    EXPECT_TRUE(capture.messages.empty());
    EXPECT_EQ(reloaded.typeIDs, original.typeIDs);
    EXPECT_EQ(reloaded.references, original.references);
}
