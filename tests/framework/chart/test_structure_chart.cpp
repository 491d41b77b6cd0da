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

const char* const DocumentIni =
    "[root]\ntypeID=Document\ntable=T\ncalendar=Cal\ntime scales#count=2\ntime scales#0=TS1\ntime scales#1=TS2\n"
    "task bar settings=TBS\nimage bar settings=IBS\ntext bar settings=Text\ntextual halo settings=THS\n"
    "hint text settings=Hint\nprogress bar settings=PBS\nconnection settings=CS\nconnections#count=1\n"
    "connections#0=C1\ntree=Tree\nlegend=L\n[T]\nTypeID=Gantt Table\nrows#count=1\nrows#0=R1\n[R1]\n"
    "typeID=Gantt Row\nbars#count=2\nbars#0=B1\nbars#1=B2\n[B1]\ntypeID=Task Bar\nsettings=TBS\ntext halo=H1\n"
    "[H1]\ntypeID=textual halo\ntext settings=Text\ntextual halo settings=THS\n[B2]\ntypeID=Milestone Bar\n"
    "resource=P\nsettings=IBS\n[P]\ntypeID=Picture Resource\n[C1]\ntypeID=Bar Connection\nfrom=B1\nto=B2\n[Cal]\n"
    "typeID=Document Calendar\n[TS1]\ntypeID=Time Scale\ngrid=T\n[TS2]\ntypeID=Time Scale\n[TBS]\n"
    "typeID=Task Bar Settings\ngoodie=G\n[G]\ntypeID=Visual Goodie\nstart glyph=P\nend glyph=P\n[IBS]\n"
    "typeID=Image Bar Settings\n[Text]\ntypeID=Text Settings\n[Hint]\ntypeID=Text Settings\n[THS]\n"
    "typeID=Textual Halo Settings\n[PBS]\ntypeID=Progress Bar Settings\n[CS]\ntypeID=Connection Settings\n[Tree]\n"
    "TypeID=Tree Grid\n[L]\ntypeID=Legend\nrows#count=1\nrows#0=LR\ndefault cell settings=Text\nborders#count=1\n"
    "borders#0=LB\n[LR]\ntypeID=Legend Row\ncells#count=2\ncells#0=LC1\ncells#1=LC2\n[LC1]\ntypeID=Legend Cell\n"
    "text settings=Text\n[LC2]\ntypeID=Legend Cell\n[LB]\ntypeID=Custom Legend Border\n";

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

struct LeafCase {
    const char* typeID;
    const char* className;
    const char* ownReference; // key the object writes into the section that saves it, or none
};

TEST_F(ChartStructure, EveryIdentifierCreatesItsClassAndTheGraphSurvivesASave)
{
    const LeafCase cases[] = {
        {"Document", "TQVTGanttDocument", nullptr}, {"Gantt Table", "TQVTGanttTable", "table"},
        {"Document Calendar", "TQVTDocumentCalendar", "calendar"},
        {"Task Bar Settings", "TQVTTaskBarSettings", nullptr}, {"Task Bar", "TQVTTaskBar", nullptr},
        {"Date Category", "TQVTDateCategory", nullptr}, {"Fixed Date Exception", "TQVTFixedDateException", nullptr},
        {"Recurring Date Exception", "TQVTRecurringDateException", nullptr},
        {"Bar Connection", "TQVTBarConnection", nullptr}, {"Picture Resource", "TQVTPictureResource", nullptr},
        {"Image Bar", "TQVTImageBar", nullptr}, {"Milestone Bar", "TQVTMilestoneBar", nullptr},
        {"Image Bar Settings", "TQVTImageBarSettings", nullptr}, {"Summary Bar", "TQVTSummaryBar", nullptr},
        {"Text Bar", "TQVTTextBar", nullptr}, {"Gantt Row", "TQVTGanttRow", nullptr},
        {"Connection Settings", "TQVTConnectionSettings", nullptr}, {"progress bar", "TQVTProgressBar", nullptr},
        {"Progress Bar Settings", "TQVTProgressBarSettings", nullptr}, {"Pert Bar", "TQVTPertBar", "pert bar"},
        {"Pert Bar Settings", "TQVTPertBarSettings", nullptr}, {"textual halo", "TQVTTextHalo", nullptr},
        {"Pert Bar Section", "TQVTPertBarSection", nullptr}, {"Visual Goodie", "TQVTVisualGoodie", nullptr},
        {"Time Scale", "TQVTTimeScale", nullptr}, {"Legend Row", "TqvtLegendRow", nullptr},
        {"Legend Cell", "TQVTLegendCell", nullptr}, {"Custom Legend Border", "TQVTLegendBorder", nullptr},
        {"Legend", "TQVTLegend", nullptr}, {"Textual Halo Settings", "TQVTTextHaloSettings", nullptr},
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

    const auto loaded = loadFrom(DocumentIni);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(graphOf(loaded.get()), DocumentGraph);
    const auto reloaded = roundTrip(loaded);
    ASSERT_NE(reloaded, nullptr);
    EXPECT_EQ(graphOf(reloaded.get()), DocumentGraph);
    EXPECT_TRUE(capture.messages.empty());

    const auto text = readFile(saveToFile(loadFrom("[root]\ntypeID=Document\ntable=T\n[T]\nTypeID=Gantt Table\n"
                                                   "rows#count=1\nrows#0=R2\n[R2]\ntypeID=Gantt Row\npert bar=PB2\n"
                                                   "[PB2]\ntypeID=Pert Bar\n")));
    EXPECT_NE(text.find("[root]\ntypeID=Document\nstartDate="), std::string::npos) << text;
    EXPECT_NE(text.find("time scale under=0\ntable=T\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[T]\nTypeID=Gantt Table\ncolumn width=50\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[R2]\ntypeID=Gantt Row\nheight=25\nbars#count=0\npert bar=PB2\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[PB2]\ntypeID=Pert Bar\n"), std::string::npos) << text;
}

TEST_F(ChartStructure, BadReferencesStayNoneAndObjectsBuiltAtRunTimeOrBuiltInAreWholeGraphs)
{
    const auto loaded = loadFrom(
        "[root]\ntypeID=Document\ntable=Cal\ncalendar=Cal\ntask bar settings=Row\nconnections#count=2\n"
        "connections#0=Loop\nconnections#1=Loop\n[Cal]\ntypeID=Document Calendar\ncategories#count=1\n"
        "categories#0=root\n[Row]\ntypeID=Gantt Row\nbars#count=1\nbars#0=Row\n[Loop]\ntypeID=Bar Connection\n"
        "from=Loop\nto=Nothing\n");
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
    capture.messages.clear();

    // Objects built at run time are saved under new sections.
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

    // The built-in document gives the default chart.
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
