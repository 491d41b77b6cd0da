// Object editors: the registry, published properties, and byte-exact undo of an edit.

#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/chart/qvtTextHalo.h"
#include "corvane/framework/interaction/qvtDataSource.h"
#include "corvane/framework/objects/qvtObjectEditor.h"
#include "corvane/framework/objects/qvtProperties.h"
#include "corvane/framework/pert/qvtPertBar.h"

#include "support/TestSupport.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace corvane;
using namespace corvane::test;

namespace {

// An object with one value and one nested object, so that snapshots can be led round cycles.
class Node : public TQVTGanttObject {
public:
    void GetPublishedProperties(TQVTPublishedProperties& props) override
    {
        props.add(
            "Value", [this] { return Value; }, [this](int v) { Value = v; });
        props.addObject("Next", [this]() -> TQVTGanttObject* { return Next.get(); });
    }

    int Value = 0;
    std::shared_ptr<Node> Next;
};

class OtherNode : public Node {};

class CountingEditor : public TQVTDummyEditor {};

std::string save(TQVTDataSource& source, const ScratchDir& dir, const std::string& name)
{
    const std::string path = dir.file(name);
    source.SaveToMedia("file://" + path);
    return readFile(path);
}

TQVTGanttBar* barNamed(TQVTDataSource& source, const std::string& uid)
{
    for (const auto& row : source.GetTable()->FRows)
        for (const auto& bar : row->FBarList)
            if (bar->getUID() == uid)
                return bar.get();
    return nullptr;
}

const TQVTPropertyInfo& property(const TQVTPublishedProperties& props, const std::string& name)
{
    const TQVTPropertyInfo* info = props.find(name);
    if (!info)
        throw std::runtime_error("no property " + name);
    return *info;
}

void setProperty(TQVTGanttObject& obj, const std::string& name, const std::string& text)
{
    property(PublishedPropertiesOf(obj), name).SetText(text);
}

// Another value of the same kind for every settable value property of obj.
void changeEverything(TQVTGanttObject& obj)
{
    const TQVTPublishedProperties props = PublishedPropertiesOf(obj);
    for (const TQVTPropertyInfo& info : props.items()) {
        if (info.isReadOnly() || info.Name == "times")
            continue;
        const std::string text = info.GetText();
        switch (info.Kind) {
        case TQVTPropertyKind::Integer: {
            const auto value = TextToInteger(text, info.MinValue, info.MaxValue);
            info.SetText(std::to_string(value == info.MaxValue ? value - 3 : value + 3));
            break;
        }
        case TQVTPropertyKind::Float:
            info.SetText(FloatToText(TextToFloat(text) + 2.5));
            break;
        case TQVTPropertyKind::ShortString:
            info.SetText(text + " changed");
            break;
        case TQVTPropertyKind::Other:
            if (text == "True" || text == "False")
                info.SetText(text == "True" ? "False" : "True");
            break;
        case TQVTPropertyKind::Class:
            break;
        }
    }
}

class EditDocument : public ::testing::Test {
protected:
    void SetUp() override
    {
        source.setStorage("file://" + std::string(CORVANE_SOURCE_DIR) + "/examples/every-type.ini");
        ASSERT_NE(barNamed(source, "Design"), nullptr) << "the example document did not load";
        original = save(source, dir, "original.ini");
    }

    ScratchDir dir;
    Capture capture;
    TQVTDataSource source;
    std::string original;
};

} // namespace

TEST(EditorsRegistry, RegistersExactClassesAndReplacesAnEarlierEditor)
{
    TQVTEditorsRegistry registry;
    EXPECT_EQ(registry.GetEditorEntry(typeid(Node)), nullptr);
    registry.RegisterEditor<Node, TQVTDummyEditor>();
    const TQVTEditorEntry* entry = registry.GetEditorEntry(typeid(Node));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->ClassRef, std::type_index(typeid(Node)));
    EXPECT_FALSE(registry.GetEditorClass(typeid(OtherNode))) << "a subclass inherits no editor";

    registry.RegisterEditor<Node, CountingEditor>();
    EXPECT_EQ(registry.GetEditorEntry(typeid(Node)), entry) << "the entry is kept, its class replaced";
    EXPECT_NE(dynamic_cast<CountingEditor*>(registry.GetEditorClass(typeid(Node))().get()), nullptr);

    registry.UnregisterEditor(typeid(Node));
    EXPECT_EQ(registry.GetEditorEntry(typeid(Node)), nullptr);
    EXPECT_FALSE(registry.FindEditor(typeid(Node)));
    registry.UnregisterEditor(typeid(Node)); // nothing to remove

    // Objects ask the process registry for their exact class.
    Node node;
    OtherNode other;
    EditorsRegistry().RegisterEditor<Node, CountingEditor>();
    const auto registered = node.CreateEditor();
    const auto inherited = other.CreateEditor();
    EditorsRegistry().UnregisterEditor(typeid(Node));
    EXPECT_NE(dynamic_cast<CountingEditor*>(registered.get()), nullptr);
    ASSERT_NE(dynamic_cast<TQVTDummyEditor*>(inherited.get()), nullptr);
    EXPECT_EQ(dynamic_cast<CountingEditor*>(inherited.get()), nullptr);
    EXPECT_EQ(inherited->edit(&other), nullptr) << "the dummy editor changes nothing";
}

TEST(PublishedProperties, TextIsReadStrictlyAndNothingIsSetFromBadText)
{
    std::int64_t i = 0;
    EXPECT_TRUE(TryTextToInteger(" -42 ", -100, 100, i));
    EXPECT_EQ(i, -42);
    EXPECT_TRUE(TryTextToInteger("$FF", 0, 1000, i));
    EXPECT_EQ(i, 255);
    for (const char* bad : {"", "1.5", "12a", "--1", "$-1", "101", "9223372036854775808", "1 2"})
        EXPECT_FALSE(TryTextToInteger(bad, -100, 100, i)) << bad;

    double d = 0;
    EXPECT_TRUE(TryTextToFloat("1,5", d));
    EXPECT_EQ(d, 1.5);
    EXPECT_TRUE(TryTextToFloat(" +2.5e3", d));
    EXPECT_EQ(d, 2500);
    for (const char* bad : {"", "0x10", "inf", "nan", "1.5.5", "1e999", "2,5abc", "e5"})
        EXPECT_FALSE(TryTextToFloat(bad, d)) << bad;
    // Every text a property writes reads back to the same value.
    for (const double value : {0.1, 1.0 / 3, 45123.999999999993, -1e-300})
        EXPECT_EQ(TextToFloat(FloatToText(value)), value);
    EXPECT_TRUE(std::isnan(TextToFloat(FloatToText(std::nan("")))));

    TQVTTaskBarSettings settings;
    setProperty(settings, "Height", "20");
    EXPECT_THROW(setProperty(settings, "Height", "twenty"), EConvertError);
    EXPECT_THROW(setProperty(settings, "Color", "-1"), EConvertError) << "a colour is no negative number";
    EXPECT_EQ(settings.FHeight, 20);
}

TEST(PublishedProperties, BarsPublishTheirValuesByKindThroughTheirOwnSetters)
{
    auto bar = std::make_shared<TQVTTaskBar>(45000, 45005, 0);
    const TQVTPublishedProperties props = PublishedPropertiesOf(*bar);
    EXPECT_EQ(property(props, "StartDate").Kind, TQVTPropertyKind::Float);
    EXPECT_EQ(property(props, "progress").Kind, TQVTPropertyKind::Integer) << "names match in any case";
    EXPECT_EQ(property(props, "Locked").Kind, TQVTPropertyKind::Other);
    EXPECT_EQ(property(props, "textHalo").Kind, TQVTPropertyKind::Class);
    EXPECT_EQ(property(props, "textHalo").GetObject(), bar->FTextHalo.get());
    EXPECT_LT(props.find("StartDate") - props.items().data(), props.find("Locked") - props.items().data())
        << "a class's own properties follow its base's";

    setProperty(*bar, "Progress", "150");
    EXPECT_EQ(bar->FProgress, 100) << "clamped by SetProgress";
    setProperty(*bar, "StartDate", "45001");
    EXPECT_EQ(bar->FstartDate, 45001);
    EXPECT_EQ(bar->getEndDate(), 45006) << "the end follows the effective duration";
    setProperty(*bar, "Locked", "True");
    setProperty(*bar, "StartDate", "45010");
    EXPECT_EQ(bar->FstartDate, 45001) << "a locked bar keeps its times";
    setProperty(*bar, "Locked", "false");
    setProperty(*bar, "StartDate", "1e300");
    EXPECT_LT(bar->FstartDate, 3e6) << "dates stay within the calendar's years";

    auto text = std::make_shared<TQVTTextBar>(45000, 45002, 0);
    setProperty(*text, "height", "3");
    EXPECT_EQ(text->getHeight(), TQVTTextBar::MinHeight);
    TQVTBarConnection connection;
    setProperty(connection, "originType", "True");
    setProperty(connection, "targetType", "False");
    EXPECT_EQ(connection.getConnType(), TQVTBarConnection::StartToFinish);
    TQVTGanttRow row;
    EXPECT_TRUE(property(PublishedPropertiesOf(row), "order").isReadOnly()) << "the table numbers its rows";
    TQVTPertBarSettings pert;
    setProperty(pert, "width", "0");
    EXPECT_EQ(pert.FWidth, 1);
}

TEST(ObjectSnapshot, TakesNestedObjectsOnceAndEndsInCycles)
{
    auto a = std::make_shared<Node>();
    auto b = std::make_shared<Node>();
    a->Next = b;
    b->Next = a; // a cycle
    a->Value = 1;
    b->Value = 2;
    TQVTObjectSnapshot snapshot;
    snapshot.take(*a);
    ASSERT_EQ(snapshot.entries().size(), 2u);
    EXPECT_EQ(snapshot.entries()[0].Text, "1");
    EXPECT_EQ(snapshot.entries()[1].Object, b.get());

    // A chain longer than the depth limit is cut there.
    auto head = std::make_shared<Node>();
    Node* tail = head.get();
    for (int i = 0; i < TQVTObjectSnapshot::MaxDepth + 10; ++i) {
        tail->Next = std::make_shared<Node>();
        tail = tail->Next.get();
    }
    snapshot.take(*head);
    EXPECT_EQ(snapshot.entries().size(), static_cast<std::size_t>(TQVTObjectSnapshot::MaxDepth + 1));
    b->Next.reset();
}

TEST(EditObjectOperation, UndoAndRedoSetNestedValuesAndNothingBeforeActivation)
{
    auto a = std::make_shared<Node>();
    a->Next = std::make_shared<Node>();
    TQVTEditObjectOperation op(nullptr, a.get());
    EXPECT_FALSE(op.perform()) << "nothing to perform before the edit is taken";
    a->Value = 5;
    a->Next->Value = 6;
    op.Activate();
    EXPECT_EQ(a->Value, 0);
    EXPECT_EQ(a->Next->Value, 0);
    EXPECT_TRUE(op.changesSomething());
    ASSERT_TRUE(op.perform());
    EXPECT_EQ(a->Value, 5);
    EXPECT_EQ(a->Next->Value, 6);
    // Values the edit did not change are not touched, whatever they became meanwhile.
    a->Next->Next = std::make_shared<Node>();
    a->Next->Next->Value = 9;
    ASSERT_TRUE(op.undo());
    EXPECT_EQ(a->Value, 0);
    EXPECT_EQ(a->Next->Value, 0);
    EXPECT_EQ(a->Next->Next->Value, 9);

    TQVTEditObjectOperation unchanged(nullptr, a.get());
    unchanged.Activate();
    EXPECT_FALSE(unchanged.changesSomething());
    EXPECT_TRUE(unchanged.perform());
}

TEST_F(EditDocument, EveryPublishedValueOfEveryObjectComesBackExactly)
{
    // Bars get their lock set in the same edit that moves them: the lock must not stop the redo.
    std::vector<TQVTGanttObject*> objects;
    for (const auto& row : source.GetTable()->FRows) {
        objects.push_back(row.get());
        for (const auto& bar : row->FBarList)
            objects.push_back(bar.get());
    }
    objects.push_back(source.root()->connections.at(0).get());
    objects.push_back(source.GetTable()->FDefaultPertBarSettings.get());

    for (TQVTGanttObject* obj : objects) {
        SCOPED_TRACE(obj->getUID() + " " + obj->ClassName());
        TQVTObjectEditor editor;
        const auto op = editor.edit(obj);
        changeEverything(*obj);
        const TQVTPublishedProperties props = PublishedPropertiesOf(*obj);
        for (const TQVTPropertyInfo& info : props.items())
            if (info.Kind == TQVTPropertyKind::Class && info.GetObject && info.GetObject())
                changeEverything(*info.GetObject());
        static_cast<TQVTEditObjectOperation&>(*op).Activate();
        ASSERT_EQ(save(source, dir, "activated.ini"), original);
        ASSERT_TRUE(source.doOperation(op));
        const std::string edited = save(source, dir, "edited.ini");
        ASSERT_NE(edited, original);
        ASSERT_TRUE(source.GetUndoRedoStack().undo());
        ASSERT_EQ(save(source, dir, "undone.ini"), original);
        ASSERT_TRUE(source.GetUndoRedoStack().redo());
        ASSERT_EQ(save(source, dir, "redone.ini"), edited);
        ASSERT_TRUE(source.GetUndoRedoStack().undo());
    }
}

TEST_F(EditDocument, ARefusedEditChangesNothingAndAnAcceptedOneMovesTheSummaryBar)
{
    TQVTGanttBar* bar = barNamed(source, "Design");
    std::vector<TQVTGanttBar*> asked;
    source.OnBeforeBarResize = [&](TQVTGanttBar* b, bool& cancel) {
        asked.push_back(b);
        cancel = true;
    };
    TQVTObjectEditor editor;
    const auto op = editor.edit(bar);
    setProperty(*bar, "StartDate", FloatToText(bar->FstartDate + 7));
    static_cast<TQVTEditObjectOperation&>(*op).Activate();
    EXPECT_FALSE(source.doOperation(op));
    EXPECT_EQ(asked, std::vector<TQVTGanttBar*>{bar});
    EXPECT_EQ(save(source, dir, "refused.ini"), original);
    EXPECT_EQ(source.GetUndoRedoStack().GetUndoOperationCount(), 0);
    source.OnBeforeBarResize = nullptr;

    // An accepted edit moves the summary bar and the application is told.
    auto* summary = dynamic_cast<TQVTSummaryBar*>(barNamed(source, "Build Phase"));
    ASSERT_NE(summary, nullptr);
    TQVTGanttBar* child = nullptr;
    for (TQVTGanttBar* candidate : summary->getChildList())
        if (candidate->isSummarizable() && !child)
            child = candidate;
    ASSERT_NE(child, nullptr) << "the summary bar of the example spans a bar";
    const TDateTime summaryEnd = summary->getEndDate();
    std::vector<TQVTGanttBar*> told;
    source.OnAfterBarResize = [&](TQVTGanttBar* b) { told.push_back(b); };

    const auto edit = editor.edit(child);
    setProperty(*child, "EndDate", FloatToText(summaryEnd + 30));
    static_cast<TQVTEditObjectOperation&>(*edit).Activate();
    ASSERT_TRUE(source.doOperation(edit));
    EXPECT_EQ(summary->getEndDate(), summaryEnd + 30);
    EXPECT_EQ(told, std::vector<TQVTGanttBar*>{child});
    ASSERT_TRUE(source.GetUndoRedoStack().undo());
    EXPECT_EQ(summary->getEndDate(), summaryEnd);
}
