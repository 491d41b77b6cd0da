#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/media/qvtDefaultMedia.h"
#include "corvane/framework/media/qvtIniFileMedia.h"
#include "corvane/framework/objects/qvtDocumentSetup.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/rendering/qvtTextSettings.h"

#include "support/TestSupport.h"

#include <functional>
#include <gtest/gtest.h>
#include <map>

using namespace corvane;
using corvane::test::Capture;
using corvane::test::ScratchDir;

namespace {

// A document file in a scratch folder, opened as the INI store.
struct Document {
    explicit Document(const std::string& text) : media(path(text)) {}

    std::string path(const std::string& text)
    {
        const auto file = dir.file("doc.ini");
        corvane::test::writeFile(file, text);
        return file;
    }

    ScratchDir dir;
    TQVTINIFIle media;
    TQVTEntityFactory factory;

    std::shared_ptr<TQVTGanttObject> load(const std::string& name) { return factory.loadObject(name, media, nullptr); }
};

// Saves obj as "N" into a new file and answers the file's text.
std::string savedText(TQVTEntityFactory& factory, TQVTGanttObject* obj, const std::string& path)
{
    TQVTINIFIle target(path);
    factory.saveObject("N", target, obj);
    target.flush();
    return corvane::test::readFile(path);
}

} // namespace

TEST(EntityFactory, SharesASectionReferencedTwiceAndKeepsItsFirstParent)
{
    Document doc("[N]\ntypeID=Tree Node\nchildren#count=3\nchildren#0=A\nchildren#1=A\nchildren#2=B\n"
                 "[A]\ntypeID=Tree Node\nrow=RowA\n[B]\ntypeID=Tree Node\nrow=RowB\n"
                 "[RowA]\ntypeID=Tree Row\nsettings=S\n[RowB]\ntypeID=Tree Row\nsettings=S\n"
                 "[S]\ntypeID=Tree Row Settings\n");
    std::map<std::string, int> entered;
    std::vector<std::string> shared;
    doc.factory.OnReference = [&](const TQVTReferenceEvent& e) {
        if (e.kind == TQVTReferenceEvent::Enter)
            ++entered[e.name];
        if (e.kind == TQVTReferenceEvent::Shared)
            shared.push_back(e.parentSection + "." + e.key + "=" + e.name);
    };
    Capture capture;
    const auto root = doc.load("N");
    ASSERT_NE(root, nullptr);
    EXPECT_TRUE(capture.messages.empty());
    for (const auto& [name, count] : entered)
        EXPECT_EQ(count, 1) << name;
    EXPECT_EQ(shared, (std::vector<std::string>{"N.children=A", "RowB.settings=S"}));

    const auto list = doc.factory.loadObjectList("N", "children", doc.media, nullptr);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0], list[1]);
    const auto settings = doc.factory.getLoadedObject("S");
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->getParent(), doc.factory.getLoadedObject("RowA").get());
    EXPECT_EQ(settings->getUID(), "S");
    EXPECT_EQ(root->getParent(), nullptr);
}

TEST(EntityFactory, ReportsCircularReferencesOnceAndStillLoadsTheOuterObject)
{
    Document doc("[N]\ntypeID=Tree Node\nchildren#count=1\nchildren#0=M\n"
                 "[M]\ntypeID=Tree Node\nchildren#count=2\nchildren#0=N\nchildren#1=M\n");
    Capture capture;
    const auto root = doc.load("N");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(capture.messages, (std::vector<std::string>{"Warning! Circular reference. Involved object: N",
                                                          "Warning! Circular reference. Involved object: M"}));
    EXPECT_NE(doc.factory.getLoadedObject("M"), nullptr);
    EXPECT_FALSE(doc.factory.stillLoading("N"));
}

TEST(EntityFactory, UnknownTypesFailAndStayFailedUntilFlushAndMissingChildrenAreReported)
{
    Document doc("[N]\ntypeID=Tree Node\nchildren#count=3\nchildren#0=X\nchildren#1=X\nchildren#2=P\n"
                 "[X]\ntypeID=Progress Bar\n[P]\ntypeID=progress bar\n");
    Capture capture;
    ASSERT_NE(doc.load("N"), nullptr);
    EXPECT_EQ(capture.messages, (std::vector<std::string>{"Warning: Unknown type idProgress Bar", "Error loading X",
                                                          "Warning! Circular reference. Involved object: X"}));
    EXPECT_TRUE(doc.factory.stillLoading("X"));
    const auto progress = doc.factory.getLoadedObject("P");
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->ClassName(), "TQVTProgressBar");
    EXPECT_EQ(progress->getPersistence()->getTypeID(), "progress bar");

    doc.factory.Flush();
    EXPECT_EQ(doc.factory.getObjectIndex("X"), -1);
    capture.messages.clear();
    EXPECT_EQ(doc.load("X"), nullptr);
    EXPECT_EQ(capture.messages.size(), 2u) << "after Flush the section is tried again";

    Document rows("[RowA]\ntypeID=Tree Row\n[RowB]\ntypeID=Tree Row\nsettings=\n");
    capture.messages.clear();
    ASSERT_NE(rows.load("RowA"), nullptr);
    EXPECT_TRUE(capture.messages.empty()) << "a missing child key is only logged";
    EXPECT_NE(std::find(capture.log.begin(), capture.log.end(),
                        "Unable to locate child object named: \"settings\". Parent name = \"RowA\""),
              capture.log.end());
    ASSERT_NE(rows.load("RowB"), nullptr);
    EXPECT_EQ(capture.messages, (std::vector<std::string>{"Warning: Unknown type idMISSING", "Error loading "}));
}

TEST(EntityFactory, RunTimeObjectsAreSavedUnderAutoIdsThatSurviveReloading)
{
    ScratchDir dir;
    const auto path = dir.file("auto.ini");
    auto created = std::make_shared<TQVTTextSettings>();
    const std::string uid = created->getUID();
    ASSERT_EQ(uid.rfind("AutoID:", 0), 0u);
    {
        TQVTINIFIle media(path);
        TQVTEntityFactory factory;
        factory.saveObjectList("root", "items", media, TQVTObjectList{created});
        media.flush();
    }
    const auto loadItem = [](const std::string& file) -> std::shared_ptr<TQVTGanttObject> {
        TQVTINIFIle media(file);
        TQVTEntityFactory factory;
        const auto loaded = factory.loadObjectList("root", "items", media, nullptr);
        return loaded.size() == 1 ? loaded[0] : nullptr;
    };
    const auto loaded = loadItem(path);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->getUID(), uid);
    EXPECT_EQ(loaded->ClassName(), "TQVTTextSettings");

    const int number = std::stoi(uid.substr(7));
    const int later = std::stoi(std::make_shared<TQVTTextSettings>()->getUID().substr(7));
    EXPECT_GT(later, number) << "new objects never take a loaded auto identity";

    // Nor does an object made before a load that brings the number after the last one taken.
    const auto madeBefore = std::make_shared<TQVTTextSettings>();
    const std::string next = "AutoID:" + std::to_string(later + 1);
    std::string text = corvane::test::readFile(path);
    for (std::size_t at = text.find(uid); at != std::string::npos; at = text.find(uid, at + next.size()))
        text.replace(at, uid.size(), next);
    corvane::test::writeFile(dir.file("renamed.ini"), text);
    const auto renamed = loadItem(dir.file("renamed.ini"));
    ASSERT_NE(renamed, nullptr);
    EXPECT_EQ(renamed->getUID(), next);
    EXPECT_NE(madeBefore->getUID(), next);
}

TEST(EntityFactory, AutoIdNumbersSkipLoadedNamesAndOddSuffixesStopNothing)
{
    TQVTEntityFactory factory;
    EXPECT_EQ(factory.getAutoId("Row"), "Row#0");
    EXPECT_EQ(factory.getAutoId("Row"), "Row#1");
    for (const std::string odd : {"Row#abc", "Row#", "Row#99999999999999999999", "Row#1.5", "Row# 3", "#-4"})
        EXPECT_NO_THROW(factory.updateAutoId(odd)) << odd;
    EXPECT_EQ(factory.getAutoId("Row"), "Row#2");
    factory.updateAutoId("Bar#41#7");
    EXPECT_EQ(factory.getAutoId("Row"), "Row#3") << "only the text after the first # counts";
    factory.updateAutoId("Bar#41");
    EXPECT_EQ(factory.getAutoId("Bar"), "Bar#42");
    factory.updateAutoId("Bar#9223372036854775808");
    EXPECT_EQ(factory.getAutoId("Bar"), "Bar#43") << "a suffix beyond 63 bits is no auto-ID";
    factory.updateAutoId("Bar#9223372036854775807");
    EXPECT_EQ(factory.getAutoId("Bar"), "Bar#9223372036854775808");
    EXPECT_EQ(factory.getAutoId("Bar"), "Bar#9223372036854775809") << "the top of the range is handed out once";

    Document doc(
        "[N#x]\ntypeID=Tree Node\nchildren#count=1\nchildren#0=M#99999999999\n[M#99999999999]\ntypeID=Tree Node\n");
    Capture capture;
    EXPECT_NE(doc.load("N#x"), nullptr);
    EXPECT_NE(doc.factory.getLoadedObject("M#99999999999"), nullptr);
    EXPECT_TRUE(capture.messages.empty());
}

TEST(EntityFactory, AChainOfHundredThousandReferencesIsCutAtTheDepthLimit)
{
    std::string text;
    const int length = 100000;
    for (int i = 0; i < length; ++i) {
        text += "[N" + std::to_string(i) + "]\ntypeID=Tree Node\n";
        if (i + 1 < length)
            text += "children#count=1\nchildren#0=N" + std::to_string(i + 1) + "\n";
    }
    Document doc(text);
    Capture capture;
    EXPECT_NE(doc.load("N0"), nullptr);
    const std::string cut = "N" + std::to_string(TQVTEntityFactory::MaxLoadDepth);
    EXPECT_EQ(capture.messages, (std::vector<std::string>{"Warning! Circular reference. Involved object: " + cut}));
    EXPECT_NE(doc.factory.getLoadedObject("N" + std::to_string(TQVTEntityFactory::MaxLoadDepth - 1)), nullptr);
    EXPECT_EQ(doc.factory.getObjectIndex(cut), -1);
}

TEST(EntityFactory, ACallbackThatLoadsWhileASectionStartsLeavesItsTypeIntact)
{
    Document doc("[X]\ntypeID=Tree Row Settings\n[Y]\ntypeID=Text Settings\n[Z]\ntypeID=Unknown Kind\n");
    std::vector<std::string> left;
    doc.factory.OnReference = [&](const TQVTReferenceEvent& e) {
        if (e.kind == TQVTReferenceEvent::Enter && e.name != "Y")
            doc.factory.loadObject("Y", doc.media, nullptr);
        if (e.kind == TQVTReferenceEvent::Leave)
            left.push_back(e.name + ":" + e.typeID);
    };
    Capture capture;
    const auto x = doc.load("X");
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->ClassName(), "TQVTTreeRowSettings");
    EXPECT_EQ(doc.load("Z"), nullptr);
    EXPECT_EQ(capture.messages, (std::vector<std::string>{"Warning: Unknown type idUnknown Kind", "Error loading Z"}));
    EXPECT_EQ(left, (std::vector<std::string>{"Y:Text Settings", "X:Tree Row Settings", "Z:Unknown Kind"}));
}

// An object's mark of the last save must not stop a later or nested save from writing it.
TEST(EntityFactory, EverySaveWritesTheWholeDocument)
{
    Document doc("[N]\ntypeID=Tree Node\nchildren#count=2\nchildren#0=A Child With A Long Name\n"
                 "children#1=a child with a long name\n[A Child With A Long Name]\ntypeID=Tree Node\nrow=R\n"
                 "[R]\ntypeID=Tree Row\nsettings=S\n[S]\ntypeID=Tree Row Settings\n");
    const auto root = doc.load("N");
    ASSERT_NE(root, nullptr);
    const auto saveWith = [&](TQVTEntityFactory& factory, TQVTGanttObject* obj, const std::string& file) {
        return savedText(factory, obj, doc.dir.file(file));
    };
    const std::string first = saveWith(doc.factory, root.get(), "first.ini");
    EXPECT_NE(first.find("[S]\ntypeID=Tree Row Settings"), std::string::npos);
    EXPECT_EQ(saveWith(doc.factory, root.get(), "again.ini"), first);

    // A node whose row saves the whole document elsewhere before it is written itself.
    struct SavingRow : TQVTGanttObject {
        std::function<void()> during;
        void doSave(const std::string&, IQVTMedia&, TQVTEntityFactory&) override { during(); }
    };
    TQVTEntityFactory other;
    std::string nested;
    auto row = std::make_shared<SavingRow>();
    row->during = [&] { nested = saveWith(other, root.get(), "nested.ini"); };
    struct Holder : TQVTGanttObject {
        std::shared_ptr<TQVTGanttObject> row, document;
        void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override
        {
            factory.saveChild(name, "row", row.get(), media);
            factory.saveChild(name, "document", document.get(), media);
        }
    };
    auto holder = std::make_shared<Holder>();
    holder->row = row;
    holder->document = root;
    const std::string outer = saveWith(doc.factory, holder.get(), "outer.ini");
    EXPECT_EQ(nested, first);
    EXPECT_NE(outer.find("[S]\ntypeID=Tree Row Settings"), std::string::npos);
}

TEST(EntityFactory, LoadedDocumentsOutliveTheirFactoryAndAreFreedOneByOne)
{
    ScratchDir dir;
    const std::string file = dir.file("doc.ini");
    corvane::test::writeFile(file, "[root]\ntypeID=Tree Node\nchildren#count=2\nchildren#0=A\nchildren#1=B\n"
                                   "[A]\ntypeID=Tree Node\nrow=R\n[B]\ntypeID=Tree Node\nrow=R\n"
                                   "[R]\ntypeID=Tree Row\nsettings=S\ncells#count=1\ncells#0=C\n"
                                   "[C]\ntypeID=Tree Simple Text Cell\ntext=a text longer than a short string\n"
                                   "[S]\ntypeID=Tree Row Settings\n");
    const auto save = [&](TQVTGanttObject* obj, const std::string& name) {
        TQVTEntityFactory saver;
        return savedText(saver, obj, dir.file(name));
    };
    std::shared_ptr<TQVTGanttObject> first;
    std::shared_ptr<TQVTGanttObject> second;
    std::weak_ptr<TQVTGanttObject> shared;
    {
        TQVTINIFIle media(file);
        TQVTEntityFactory factory;
        first = factory.loadObject("root", media, nullptr);
        shared = factory.getLoadedObject("R");
        factory.Flush();
        second = factory.loadObject("root", media, nullptr);
    }
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    const std::string saved = save(first.get(), "first.ini");
    EXPECT_NE(saved.find("text=a text longer than a short string"), std::string::npos);
    first.reset();
    EXPECT_TRUE(shared.expired());
    EXPECT_EQ(save(second.get(), "second.ini"), saved);
}

TEST(EntityFactory, ReferencesToMissingSectionsDoNotDisturbTheLoadedOnes)
{
    std::string text = "[N]\ntypeID=Tree Node\nchildren#count=3001\n";
    for (int i = 0; i < 3000; ++i)
        text += "children#" + std::to_string(i) + "=" + (i % 3 == 0 ? "A" : "Missing " + std::to_string(i)) + "\n";
    text += "children#3000=a\n[A]\ntypeID=Tree Node\nrow=R\n[R]\ntypeID=Tree Row\n";
    Document doc(text);
    Capture capture;
    const auto root = doc.load("N");
    ASSERT_NE(root, nullptr);
    const auto a = doc.factory.getLoadedObject("A");
    ASSERT_NE(a, nullptr);
    EXPECT_NE(doc.factory.getLoadedObject("R"), nullptr);
    EXPECT_TRUE(doc.factory.stillLoading("Missing 2999"));
    EXPECT_EQ(doc.factory.getObjectIndex("N"), 0);
    std::vector<std::string> tail(capture.messages.end() - 2, capture.messages.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"Warning: Unknown type idMISSING", "Error loading Missing 2999"}));
    EXPECT_EQ(capture.messages.size(), 2u * 2000) << "only the missing sections are reported";
}

// The persistence is made on demand, also after the factory is gone; a zero byte in a name stays.
TEST(EntityFactory, LoadedObjectsAnswerTheirSectionNameAndAPersistenceOfTheirClass)
{
    using namespace std::string_literals;
    const std::string longName = "a node whose name is longer than a short string";
    const std::string zeroName = "zero\0byte"s;
    const std::vector<std::pair<std::string, std::string>> expected{
        {"N", "Tree Node"}, {longName, "Tree Node"}, {zeroName, "Tree Node"}, {"R", "Tree Row"}, {"S", "Tree Row Settings"}};
    std::vector<std::shared_ptr<TQVTGanttObject>> loaded;
    {
        Document doc("[N]\ntypeID=Tree Node\nchildren#count=2\nchildren#0=" + longName + "\nchildren#1=" + zeroName +
                     "\n[" + longName +
                     "]\ntypeID=Tree Node\nrow=R\n[R]\ntypeID=Tree Row\nsettings=S\n"
                     "[S]\ntypeID=Tree Row Settings\n[" +
                     zeroName + "]\ntypeID=Tree Node\n");
        ASSERT_NE(doc.load("N"), nullptr);
        for (const auto& [name, typeID] : expected) {
            loaded.push_back(doc.factory.getLoadedObject(name));
            ASSERT_NE(loaded.back(), nullptr) << name;
        }
    }
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& [name, typeID] = expected[i];
        EXPECT_EQ(loaded[i]->getUID(), name);
        TQVTPersistence* persistence = loaded[i]->getPersistence();
        ASSERT_NE(persistence, nullptr) << name;
        EXPECT_EQ(persistence->ID, name);
        EXPECT_EQ(persistence->getTypeID(), typeID);
        EXPECT_EQ(loaded[i]->getPersistence(), persistence) << "made once";
    }
    // An identifier set through the persistence is the one the object answers.
    loaded[1]->getPersistence()->ID.clear();
    EXPECT_EQ(loaded[1]->getUID().rfind("AutoID:", 0), 0u);
}

// " A" is another name to the factory though the store reads section A for it.
TEST(EntityFactory, SharingFollowsNamesWhateverStoreTheyAreFoundIn)
{
    Document first("[N]\ntypeID=Tree Node\nchildren#count=3\nchildren#0=A\nchildren#1=\" A\"\nchildren#2=a\n"
                   "[A]\ntypeID=Tree Node\nrow=R\n[R]\ntypeID=Tree Row\n");
    std::map<std::string, int> entered;
    std::vector<std::string> shared;
    first.factory.OnReference = [&](const TQVTReferenceEvent& e) {
        if (e.kind == TQVTReferenceEvent::Enter)
            ++entered[e.name];
        if (e.kind == TQVTReferenceEvent::Shared)
            shared.push_back(e.name);
    };
    Capture capture;
    ASSERT_NE(first.load("N"), nullptr);
    EXPECT_EQ(entered, (std::map<std::string, int>{{"N", 1}, {"A", 1}, {" A", 1}, {"R", 1}}));
    EXPECT_EQ(shared, (std::vector<std::string>{"R", "a"}));
    EXPECT_NE(first.factory.getLoadedObject(" A"), first.factory.getLoadedObject("A"));

    ScratchDir dir;
    const std::string otherFile = dir.file("other.ini");
    corvane::test::writeFile(otherFile, "[X]\ntypeID=Tree Node\nrow=r\n[Y]\ntypeID=Tree Node\nrow=Z\n"
                                        "[r]\ntypeID=Tree Row\n[Z]\ntypeID=Tree Row\n");
    TQVTINIFIle other(otherFile);
    ASSERT_NE(first.factory.loadObject("X", other, nullptr), nullptr);
    EXPECT_EQ(entered.count("r"), 0u) << "R was loaded from the first store";
    ASSERT_NE(first.factory.loadObject("Y", other, nullptr), nullptr);
    EXPECT_NE(first.factory.getLoadedObject("Z"), nullptr);
    // Back to the first store, the names loaded from either are known.
    EXPECT_EQ(first.factory.loadObject("y", first.media, nullptr), first.factory.getLoadedObject("Y"));
    EXPECT_TRUE(capture.messages.empty());

    // A second store met first, before any lookup without a store.
    first.factory.Flush();
    EXPECT_EQ(first.factory.getLoadedObject("A"), nullptr);
    ASSERT_NE(first.load("A"), nullptr);
    ASSERT_NE(first.factory.loadObject("Y", other, nullptr), nullptr);
    shared.clear();
    ASSERT_NE(first.load("N"), nullptr);
    EXPECT_EQ(shared, (std::vector<std::string>{"A", "R", "a"}));
    EXPECT_EQ(first.factory.getObjectIndex("a"), 0);
}
