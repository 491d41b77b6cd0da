// Object graphs of the chart model: what loads from which sections, and what a save gives back.

#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtLegend.h"
#include "corvane/framework/chart/qvtResources.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/chart/qvtTextHalo.h"
#include "corvane/framework/media/qvtDefaultMedia.h"
#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/pert/qvtPertBar.h"
#include "corvane/framework/rendering/qvtTextSettings.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/framework/time/qvtTimeScale.h"

#include "support/DocumentFileTest.h"
#include "support/GraphText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using namespace corvane;
using namespace corvane::test;

namespace {

// The references of an object, in the order its loader follows them. The tree grid belongs to
// the task table and is shown without its inside.
std::vector<Reference> referencesOf(const TQVTGanttObject& obj)
{
    if (const auto* doc = dynamic_cast<const TQVTGanttDocument*>(&obj))
        return {one("table", doc->Ftable),
                one("calendar", doc->Fcalendar),
                many("time scales", doc->FScales),
                one("task bar settings", doc->FTaskBarSettings),
                one("image bar settings", doc->FImageBarSettings),
                one("text bar settings", doc->FTextBarSettings),
                one("textual halo settings", doc->FTextHaloSettings),
                one("hint text settings", doc->FHintTextSettings),
                one("progress bar settings", doc->FProgressBarSettings),
                one("connection settings", doc->FConnectionSettings),
                many("connections", doc->connections),
                one("tree", doc->FTree),
                one("legend", doc->FLegend)};
    if (const auto* table = dynamic_cast<const TQVTGanttTable*>(&obj))
        return {many("rows", table->FRows), many("rowszorder", table->FRowsZOrder),
                many("pertconnections", table->FPertBarConnections),
                one("default pert settings", table->FDefaultPertBarSettings)};
    if (const auto* row = dynamic_cast<const TQVTGanttRow*>(&obj))
        return {many("bars", row->FBarList), one("pert bar", row->FPertBar)};
    if (const auto* bar = dynamic_cast<const TQVTTaskBar*>(&obj))
        return {one("settings", bar->FSettings), one("text halo", bar->FTextHalo)};
    if (const auto* bar = dynamic_cast<const TQVTProgressBar*>(&obj))
        return {one("settings", bar->FSettings), one("text halo", bar->FTextHalo)};
    if (const auto* bar = dynamic_cast<const TQVTImageBar*>(&obj))
        return {one("resource", bar->FPictureResource), one("settings", bar->FSettings),
                one("text halo", bar->FTextHalo)};
    if (const auto* bar = dynamic_cast<const TQVTTextBar*>(&obj))
        return {one("settings", bar->FSettings), one("text halo", bar->FTextHalo)};
    if (const auto* bar = dynamic_cast<const TQVTPertBar*>(&obj))
        return {one("settings", bar->FSettings),
                one("MainSection", bar->FMainSection),
                one("TopSection", bar->FTopSection),
                one("BottomSection", bar->FBottomSection),
                many("AdditionalSections", bar->FAdditionalSections),
                one("text halo", bar->FTextHalo)};
    if (const auto* bar = dynamic_cast<const TQVTGanttBar*>(&obj))
        return {one("text halo", bar->FTextHalo)};
    if (const auto* section = dynamic_cast<const TQVTPertBarSection*>(&obj))
        return {one("settings", section->FSettings)};
    if (const auto* settings = dynamic_cast<const TQVTTaskBarSettings*>(&obj))
        return {one("goodie", settings->FVisualGoodie)};
    if (const auto* goodie = dynamic_cast<const TQVTVisualGoodie*>(&obj))
        return {one("start glyph", goodie->FStartGlyph), one("end glyph", goodie->FEndGlyph)};
    if (const auto* halo = dynamic_cast<const TQVTTextHalo*>(&obj))
        return {one("text settings", halo->FTextSettings), one("textual halo settings", halo->FTextHaloSettings)};
    if (const auto* connection = dynamic_cast<const TQVTBarConnection*>(&obj))
        return {one("from", connection->barFrom), one("to", connection->barTo)};
    if (const auto* calendar = dynamic_cast<const TQVTDocumentCalendar*>(&obj))
        return {many("categories", calendar->FCategories.items())};
    if (const auto* category = dynamic_cast<const TQVTDateCategory*>(&obj))
        return {many("exceptions", category->FDates.items())};
    if (const auto* scale = dynamic_cast<const TQVTTimeScale*>(&obj))
        return {one("grid", scale->FGrid)};
    if (const auto* legend = dynamic_cast<const TQVTLegend*>(&obj))
        return {many("rows", legend->FRows), one("default cell settings", legend->FDefaultCellSettings),
                many("borders", legend->FBorders)};
    if (const auto* row = dynamic_cast<const TqvtLegendRow*>(&obj))
        return {many("cells", row->FCells)};
    if (const auto* cell = dynamic_cast<const TQVTLegendCell*>(&obj))
        return {one("text settings", cell->FTextSettings)};
    return {};
}

// Writes obj's graph with the class names shorn of their "TQVT" prefixes.
std::string graphOf(const TQVTGanttObject* obj)
{
    const auto shortName = [](const TQVTGanttObject& object) {
        const std::string name = object.ClassName();
        return name.compare(0, 4, "TQVT") == 0 || name.compare(0, 4, "Tqvt") == 0 ? name.substr(4) : name;
    };
    return GraphText(obj, obj ? obj->getParent() : nullptr, referencesOf, shortName).text;
}

TQVTGanttDocument& documentOf(const std::shared_ptr<TQVTGanttObject>& obj)
{
    return dynamic_cast<TQVTGanttDocument&>(*obj);
}

// Sections whose first key is not the type identifier; the chart table and the tree grid spell it "TypeID".
std::vector<std::string> sectionsNotStartingWithTheirType(const std::string& iniText)
{
    std::vector<std::string> wrong;
    std::istringstream in(iniText);
    std::string line;
    std::string section;
    bool expectType = false;
    while (std::getline(in, line)) {
        if (line.empty())
            continue;
        if (line.front() == '[') {
            section = line;
            expectType = true;
            continue;
        }
        if (expectType && line.rfind("typeID=", 0) != 0 && line.rfind("TypeID=", 0) != 0)
            wrong.push_back(section + " " + line);
        expectType = false;
    }
    return wrong;
}

class ChartStructure : public DocumentFileTest {
protected:
    std::shared_ptr<TQVTGanttObject> roundTrip(const std::shared_ptr<TQVTGanttObject>& obj)
    {
        const auto path = saveToFile(obj);
        EXPECT_EQ(sectionsNotStartingWithTheirType(readFile(path)), std::vector<std::string>{});
        return loadFile(path);
    }
};

struct LeafCase {
    const char* typeID;
    const char* className;
    const char* ownReference; // key the object writes into the section that saves it, or none
};

TEST_F(ChartStructure, EveryIdentifierCreatesItsClassAndIsSavedAgain)
{
    const LeafCase cases[] = {
        {"Document", "TQVTGanttDocument", nullptr},
        {"Gantt Table", "TQVTGanttTable", "table"},
        {"Document Calendar", "TQVTDocumentCalendar", "calendar"},
        {"Task Bar Settings", "TQVTTaskBarSettings", nullptr},
        {"Task Bar", "TQVTTaskBar", nullptr},
        {"Date Category", "TQVTDateCategory", nullptr},
        {"Fixed Date Exception", "TQVTFixedDateException", nullptr},
        {"Recurring Date Exception", "TQVTRecurringDateException", nullptr},
        {"Bar Connection", "TQVTBarConnection", nullptr},
        {"Picture Resource", "TQVTPictureResource", nullptr},
        {"Image Bar", "TQVTImageBar", nullptr},
        {"Milestone Bar", "TQVTMilestoneBar", nullptr},
        {"Image Bar Settings", "TQVTImageBarSettings", nullptr},
        {"Summary Bar", "TQVTSummaryBar", nullptr},
        {"Text Bar", "TQVTTextBar", nullptr},
        {"Gantt Row", "TQVTGanttRow", nullptr},
        {"Connection Settings", "TQVTConnectionSettings", nullptr},
        {"progress bar", "TQVTProgressBar", nullptr},
        {"Progress Bar Settings", "TQVTProgressBarSettings", nullptr},
        {"Pert Bar", "TQVTPertBar", "pert bar"},
        {"Pert Bar Settings", "TQVTPertBarSettings", nullptr},
        {"textual halo", "TQVTTextHalo", nullptr},
        {"Pert Bar Section", "TQVTPertBarSection", nullptr},
        {"Visual Goodie", "TQVTVisualGoodie", nullptr},
        {"Time Scale", "TQVTTimeScale", nullptr},
        {"Legend Row", "TqvtLegendRow", nullptr},
        {"Legend Cell", "TQVTLegendCell", nullptr},
        {"Custom Legend Border", "TQVTLegendBorder", nullptr},
        {"Legend", "TQVTLegend", nullptr},
        {"Textual Halo Settings", "TQVTTextHaloSettings", nullptr},
    };
    for (const LeafCase& c : cases) {
        SCOPED_TRACE(c.typeID);
        const auto obj = loadFrom(std::string("[S]\ntypeID=") + c.typeID + "\n", "S");
        ASSERT_NE(obj, nullptr);
        EXPECT_EQ(obj->ClassName(), c.className);
        EXPECT_EQ(obj->getPersistence()->getTypeID(), c.typeID);

        const auto media = TQVTMediaFactory::CreateMedia("file://" + saveToFile(obj));
        std::string section = "root";
        if (c.ownReference) {
            media->getStrProperty("root", c.ownReference, "", section);
            EXPECT_EQ(section, "S");
        }
        std::string saved;
        media->getStrProperty(section, "typeID", "", saved);
        EXPECT_EQ(saved, c.typeID);
    }
    EXPECT_TRUE(capture.messages.empty());
}

const char* const DocumentIni = R"(
[root]
typeID=Document
table=T
calendar=Cal
time scales#count=2
time scales#0=TS1
time scales#1=TS2
task bar settings=TBS
image bar settings=IBS
text bar settings=Text
textual halo settings=THS
hint text settings=Hint
progress bar settings=PBS
connection settings=CS
connections#count=1
connections#0=C1
tree=Tree
legend=L
[T]
TypeID=Gantt Table
rows#count=1
rows#0=R1
[R1]
typeID=Gantt Row
bars#count=2
bars#0=B1
bars#1=B2
[B1]
typeID=Task Bar
settings=TBS
text halo=H1
[H1]
typeID=textual halo
text settings=Text
textual halo settings=THS
[B2]
typeID=Milestone Bar
resource=P
settings=IBS
[P]
typeID=Picture Resource
[C1]
typeID=Bar Connection
from=B1
to=B2
[Cal]
typeID=Document Calendar
[TS1]
typeID=Time Scale
grid=T
[TS2]
typeID=Time Scale
[TBS]
typeID=Task Bar Settings
goodie=G
[G]
typeID=Visual Goodie
start glyph=P
end glyph=P
[IBS]
typeID=Image Bar Settings
[Text]
typeID=Text Settings
[Hint]
typeID=Text Settings
[THS]
typeID=Textual Halo Settings
[PBS]
typeID=Progress Bar Settings
[CS]
typeID=Connection Settings
[Tree]
TypeID=Tree Grid
[L]
typeID=Legend
rows#count=1
rows#0=LR
default cell settings=Text
borders#count=1
borders#0=LB
[LR]
typeID=Legend Row
cells#count=2
cells#0=LC1
cells#1=LC2
[LC1]
typeID=Legend Cell
text settings=Text
[LC2]
typeID=Legend Cell
[LB]
typeID=Custom Legend Border
)";

// The graph of DocumentIni: every reference of a document, with the objects it shares.
const char* const DocumentGraph =
     "GanttDocument(table=GanttTable#1(rows=[GanttRow(bars=["
     "TaskBar#2(settings=TaskBarSettings#3(goodie=VisualGoodie(start glyph=PictureResource#4,end glyph=#4)),"
     "text halo=TextHalo(text settings=TextSettings#5,textual halo settings=TextHaloSettings#6)),"
     "MilestoneBar#7(resource=#4,settings=ImageBarSettings#8,text halo=-)],pert bar=-)],"
     "rowszorder=[],pertconnections=[],default pert settings=-),"
     "calendar=DocumentCalendar(categories=[]),"
     "time scales=[TimeScale(grid=#1),TimeScale(grid=-)],"
     "task bar settings=#3,image bar settings=#8,text bar settings=#5,textual halo settings=#6,"
     "hint text settings=TextSettings,progress bar settings=ProgressBarSettings,"
     "connection settings=ConnectionSettings,connections=[BarConnection(from=#2,to=#7)],tree=TreeGrid,"
     "legend=Legend(rows=[LegendRow(cells=[LegendCell(text settings=#5),LegendCell(text settings=-)])],"
     "default cell settings=#5,borders=[LegendBorder]))";

TEST_F(ChartStructure, TheGraphLoadsAndSurvivesASave)
{
    const auto loaded = loadFrom(DocumentIni);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(graphOf(loaded.get()), DocumentGraph);
    const auto reloaded = roundTrip(loaded);
    ASSERT_NE(reloaded, nullptr);
    EXPECT_EQ(graphOf(reloaded.get()), DocumentGraph);
    EXPECT_TRUE(capture.messages.empty());
}

TEST_F(ChartStructure, ASavedDocumentNamesItsChildrenInItsOwnSection)
{
    const auto text = readFile(saveToFile(loadFrom("[root]\ntypeID=Document\ntable=T\n[T]\nTypeID=Gantt Table\n"
                                                   "rows#count=1\nrows#0=R2\n[R2]\ntypeID=Gantt Row\npert bar=PB2\n"
                                                   "[PB2]\ntypeID=Pert Bar\n")));
    EXPECT_NE(text.find("[root]\ntypeID=Document\nstartDate="), std::string::npos) << text;
    EXPECT_NE(text.find("time scale under=0\ntable=T\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[T]\nTypeID=Gantt Table\ncolumn width=50\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[R2]\ntypeID=Gantt Row\nheight=25\nbars#count=0\npert bar=PB2\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[PB2]\ntypeID=Pert Bar\n"), std::string::npos) << text;
}

TEST_F(ChartStructure, ReferencesOfTheWrongClassOrThatCannotBeLoadedStayNone)
{
    const auto loaded = loadFrom(R"(
[root]
typeID=Document
table=Cal
calendar=Cal
task bar settings=Row
connections#count=2
connections#0=Loop
connections#1=Loop
[Cal]
typeID=Document Calendar
categories#count=1
categories#0=root
[Row]
typeID=Gantt Row
bars#count=1
bars#0=Row
[Loop]
typeID=Bar Connection
from=Loop
to=Nothing
)");
    ASSERT_NE(loaded, nullptr);
    // Wrong classes and self-references stay none; connections joining no bars are dropped.
    EXPECT_EQ(graphOf(loaded.get()),
              "GanttDocument(table=-,calendar=DocumentCalendar(categories=[-]),time scales=[],task bar "
              "settings=-,image bar settings=-,"
              "text bar settings=-,textual halo settings=-,hint text settings=-,progress bar settings=-,"
              "connection settings=-,connections=[],tree=-,legend=-)");
    EXPECT_EQ(capture.messages, (std::vector<std::string>{
                                    "Warning! Circular reference. Involved object: root",
                                    "Warning! Circular reference. Involved object: Row",
                                    "Warning! Circular reference. Involved object: Loop",
                                    "Warning: Unknown type idMISSING",
                                    "Error loading Nothing",
                                }));
}

TEST_F(ChartStructure, ObjectsBuiltAtRunTimeAreSavedUnderNewSections)
{
    auto doc = std::make_shared<TQVTGanttDocument>();
    doc->Ftable = std::make_shared<TQVTGanttTable>();
    doc->Fcalendar = std::make_shared<TQVTDocumentCalendar>();
    doc->Fcalendar->FCategories = {std::make_shared<TQVTDateCategory>(), std::make_shared<TQVTWeekendsDateCategory>()};
    doc->Fcalendar->FCategories[0]->FDates = {std::make_shared<TQVTFixedDateException>()};
    auto row = std::make_shared<TQVTGanttRow>();
    auto bar = std::make_shared<TQVTTaskBar>();
    bar->FTextHalo = std::make_shared<TQVTTextHalo>();
    row->FBarList = {bar};
    row->FPertBar = std::make_shared<TQVTPertBar>();
    doc->Ftable->FRows = {row};
    auto scale = std::make_shared<TQVTTimeScale>();
    scale->FGrid = doc->Ftable;
    doc->FScales = {scale};
    auto connection = std::make_shared<TQVTBarConnection>();
    connection->barFrom = bar;
    connection->barTo = bar;
    doc->connections = {connection};

    const auto reloaded = roundTrip(doc);
    ASSERT_NE(reloaded, nullptr);
    EXPECT_EQ(graphOf(reloaded.get()),
              "GanttDocument(table=GanttTable#1(rows=[GanttRow#2(bars=[TaskBar#3(settings=-,"
              "text halo=TextHalo(text settings=-,textual halo settings=TextHaloSettings))],pert bar=PertBar("
              "settings=-,MainSection=-,TopSection=-,BottomSection=-,AdditionalSections=[],text halo=-))],"
              "rowszorder=[#2],pertconnections=[],default pert settings=-),"
              "calendar=DocumentCalendar(categories=[DateCategory(exceptions=[FixedDateException]),"
              "WeekendsDateCategory(exceptions=[Weekend])]),time scales=[TimeScale(grid=#1)],"
              "task bar settings=-,image bar settings=-,text bar settings=-,textual halo settings=-,"
              "hint text settings=-,progress bar settings=-,connection settings=-,"
              "connections=[BarConnection(from=#3,to=#3)],tree=-,legend=-)");
    EXPECT_EQ(documentOf(reloaded).Ftable->getUID(), doc->Ftable->getUID());
    EXPECT_EQ(documentOf(reloaded).Ftable->FRows.at(0)->FPertBar->getUID(), row->FPertBar->getUID());
    EXPECT_EQ(doc->Ftable->getUID().rfind("AutoID:", 0), 0u);
    EXPECT_TRUE(capture.messages.empty());
}

TEST_F(ChartStructure, TheBuiltInDocumentGivesTheDefaultChart)
{
    TQVTDefaultMedia media;
    TQVTEntityFactory factory;
    const auto root = factory.loadObject("root", media, nullptr);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(graphOf(root.get()),
              "GanttDocument(table=GanttTable#1(rows=[GanttRow(bars=[],pert bar=-)],rowszorder=[],"
              "pertconnections=[],default pert settings=PertBarSettings),"
              "calendar=DocumentCalendar(categories=[WeekendsDateCategory(exceptions=[Weekend]),"
              "HolidaysDateCategory(exceptions=[])]),"
              "time scales=[TimeScale(grid=#1)],task bar settings=TaskBarSettings(goodie=-),"
              "image bar settings=ImageBarSettings,text bar settings=TextSettings,"
              "textual halo settings=TextHaloSettings,hint text settings=TextSettings,"
              "progress bar settings=ProgressBarSettings,connection settings=ConnectionSettings,connections=[],"
              "tree=TreeGrid,legend=Legend(rows=[],default cell settings=-,borders=[]))");
    EXPECT_EQ(documentOf(root).DocumentSetup, root.get());
    EXPECT_TRUE(capture.messages.empty());
}

} // namespace
