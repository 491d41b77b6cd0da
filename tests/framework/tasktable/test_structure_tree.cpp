// Object graphs of the task table: what loads from which sections, and what a save gives back.

#include "corvane/framework/media/qvtDefaultMedia.h"
#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/rendering/qvtTextSettings.h"
#include "corvane/framework/tasktable/qvtTreeCellTypes.h"
#include "corvane/framework/tasktable/qvtTreeCells.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeHeader.h"
#include "corvane/framework/tasktable/qvtTreeResizePane.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"

#include "support/DocumentFileTest.h"
#include "support/GraphText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace corvane;
using namespace corvane::test;

namespace {

// The references of an object, in the order its loader follows them.
std::vector<Reference> referencesOf(const TQVTGanttObject& obj)
{
    if (const auto* grid = dynamic_cast<const TQVTTreeGrid*>(&obj))
        return {one("header", grid->FHeader), one("root node", grid->FRootNode),
                one("vertical pane", grid->FRowsResizePane), one("default row settings", grid->FDefaultRowSettings),
                one("default col settings", grid->FDefaultColSettings)};
    if (const auto* node = dynamic_cast<const TQVTTreeNode*>(&obj))
        return {one("row", node->FRow.ptr()), many("children", node->Fchildren.items())};
    if (const auto* row = dynamic_cast<const TQVTTreeRow*>(&obj))
        return {many("cells", row->FCells), one("settings", row->Fsettings)};
    if (const auto* header = dynamic_cast<const TQVTTreeHeader*>(&obj))
        return {many("cells", header->FCells)};
    if (const auto* column = dynamic_cast<const TQVTTreeHeaderCell*>(&obj))
        return {one("settings", column->FSettings), one("dataType", column->FDataType)};
    if (const auto* cell = dynamic_cast<const TQVTTreeCell*>(&obj))
        return {one("rowSettings", cell->FRowSettings), one("colSettings", cell->FColSettings),
                one("dataType", cell->FDataType)};
    return {};
}

std::string graphOf(const std::shared_ptr<TQVTGanttObject>& obj)
{
    return GraphText(obj.get(), nullptr, referencesOf, &TQVTGanttObject::ClassName).text;
}

class TreeStructure : public DocumentFileTest {
protected:
    // The section an object saved as "root" is found in again: the tree grid names its own.
    static std::string savedSection(const std::string& path, const std::shared_ptr<TQVTGanttObject>& obj)
    {
        if (!dynamic_cast<TQVTTreeGrid*>(obj.get()))
            return "root";
        std::string section;
        TQVTMediaFactory::CreateMedia("file://" + path)->getStrProperty("root", "tree", "", section);
        return section;
    }

    // Saves obj and loads it back.
    std::shared_ptr<TQVTGanttObject> roundTrip(const std::shared_ptr<TQVTGanttObject>& obj)
    {
        const auto path = saveToFile(obj);
        return loadFile(path, savedSection(path, obj));
    }
};

TEST_F(TreeStructure, EveryObjectWithoutReferencesLoadsAndSavesUnderItsIdentifier)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Text Settings", "TQVTTextSettings"},
        {"Tree Row Settings", "TQVTTreeRowSettings"},
        {"Tree Column Settings", "TQVTTreeColSettings"},
        {"Vertical resize pane", "TQVTTreeRowsResizePane"},
        {"Simple Text Type", "TQVTTreeSimpleTextCellType"},
        {"Multiline Text Type", "TQVTTreeMultilineTextCellType"},
        {"Date Time Type", "TQVTTreeDateTimeCellType"},
        {"Spin Type", "TQVTTreeSpinCellType"},
        {"Currency Type", "TQVTTreeCurrencyCellType"},
        {"Combo Type", "TQVTTreeComboCellType"},
        {"Image Combo Type", "TQVTTreeImageComboCellType"},
        {"Button Edit Type", "TQVTTreeButtonEditCellType"},
        {"Tree AutoCellType.Number", "TQVTTreeAutoCellNumber"},
        {"Tree AutoCellType.StartDate", "TQVTTreeAutoCellStartDate"},
        {"Tree AutoCellType.EndDate", "TQVTTreeAutoCellEndDate"},
        {"AutoCellType.TaskName", "TQVTTreeAutoCellTaskNameType"},
    };
    for (const auto& [typeID, className] : cases) {
        SCOPED_TRACE(typeID);
        const auto obj = loadFrom(std::string("[S]\ntypeID=") + typeID + "\n", "S");
        ASSERT_NE(obj, nullptr);
        EXPECT_EQ(graphOf(obj), className);
        EXPECT_EQ(obj->getPersistence()->getTypeID(), typeID);

        const auto path = saveToFile(obj);
        std::string saved;
        TQVTMediaFactory::CreateMedia("file://" + path)->getStrProperty("root", "typeID", "", saved);
        EXPECT_EQ(saved, typeID);
        EXPECT_EQ(graphOf(loadFile(path, "root")), className);
    }
    // The base automatic type is stored as the number type.
    EXPECT_EQ(graphOf(roundTrip(std::make_shared<TQVTTreeAutoCellType>())), "TQVTTreeAutoCellNumber");
    EXPECT_TRUE(capture.messages.empty());
}

struct GraphCase {
    const char* name;
    const char* section;
    const char* ini;
    const char* graph;
};

// Every cell class with its three references; the settings are shared with a second cell.
const char* const CellsIni =
    "[Types]\ntypeID=Spin Type\n[RS]\ntypeID=Tree Row Settings\n[CS]\ntypeID=Tree Column Settings\n[Row]\n"
    "typeID=Tree Row\nsettings=RS\ncells#count=10\ncells#0=C0\ncells#1=C1\ncells#2=C2\ncells#3=C3\ncells#4=C4\n"
    "cells#5=C5\ncells#6=C6\ncells#7=C7\ncells#8=C8\ncells#9=C9\n[C0]\ntypeID=Tree Cell\nrowSettings=RS\n"
    "colSettings=CS\ndataType=Types\n[C1]\ntypeID=Tree Simple Text Cell\n[C2]\ntypeID=Tree Multiline Text Cell\n[C3]\n"
    "typeID=Tree Date Time Cell\n[C4]\ntypeID=Tree Spin Cell\nrowSettings=RS\ncolSettings=CS\ndataType=Types\n[C5]\n"
    "typeID=Tree Currency Cell\n[C6]\ntypeID=Tree Combo Cell\n[C7]\ntypeID=Tree Image Combo Cell\n[C8]\n"
    "typeID=Tree Button Edit Cell\n[C9]\ntypeID=Tree Auto Cell\ndataType=Types\n";

const char* const GridIni =
    "[G]\nTypeID=Tree Grid\nheader=H\nroot node=Top\nvertical pane=P\ndefault row settings=RS\n"
    "default col settings=CS\n[H]\ntypeID=Tree Header\ncells#count=2\ncells#0=HC0\ncells#1=HC1\n[HC0]\n"
    "typeID=Tree Header Cell\nsettings=CS\ndataType=Number\n[HC1]\ntypeID=Tree Header Cell\nsettings=CS1\n"
    "dataType=Text\n[CS]\ntypeID=Tree Column Settings\n[CS1]\ntypeID=Tree Column Settings\n[RS]\n"
    "typeID=Tree Row Settings\n[Number]\ntypeID=Tree AutoCellType.Number\n[Text]\ntypeID=Simple Text Type\n[P]\n"
    "typeID=Vertical resize pane\n[Top]\ntypeID=Tree Node\nrow=empty\nchildren#count=2\nchildren#0=A\nchildren#1=B\n"
    "[A]\ntypeID=Tree Node\nrow=RowA\nchildren#count=1\nchildren#0=A1\n[A1]\ntypeID=Tree Node\nrow=RowA1\n[B]\n"
    "typeID=Tree Node\nrow=RowB\ncollapsed=1\n[RowA]\ntypeID=Tree Row\nsettings=RS\ncells#count=2\ncells#0=A.0\n"
    "cells#1=A.1\n[A.0]\ntypeID=Tree Auto Cell\nrowSettings=RS\ncolSettings=CS\ndataType=Number\n[A.1]\n"
    "typeID=Tree Simple Text Cell\nrowSettings=RS\ncolSettings=CS1\ndataType=Text\n[RowA1]\ntypeID=Tree Row\n"
    "settings=RS1\n[RS1]\ntypeID=Tree Row Settings\n[RowB]\ntypeID=Tree Row\n";

const GraphCase GraphCases[] = {
    {"row with every cell class", "Row", CellsIni,
     "TQVTTreeRow(cells=["
     "TQVTTreeCell(rowSettings=TQVTTreeRowSettings#1,colSettings=TQVTTreeColSettings#2,"
     "dataType=TQVTTreeSpinCellType#3),"
     "TQVTTreeSimpleTextCell(rowSettings=-,colSettings=-,dataType=-),"
     "TQVTTreeMultilineTextCell(rowSettings=-,colSettings=-,dataType=-),"
     "TQVTTreeDateTimeCell(rowSettings=-,colSettings=-,dataType=-),"
     "TQVTTreeSpinCell(rowSettings=#1,colSettings=#2,dataType=#3),"
     "TQVTTreeCurrencyCell(rowSettings=-,colSettings=-,dataType=-),"
     "TQVTTreeComboCell(rowSettings=-,colSettings=-,dataType=-),"
     "TQVTTreeImageComboCell(rowSettings=-,colSettings=-,dataType=-),"
     "TQVTTreeButtonEditCell(rowSettings=-,colSettings=-,dataType=-),"
     "TQVTTreeAutoCell(rowSettings=-,colSettings=-,dataType=#3)],settings=#1)"},
    {"header whose list names one cell twice", "H",
     "[H]\ntypeID=Tree Header\ncells#count=3\ncells#0=HC\ncells#1=HC\ncells#2=Other\n"
     "[HC]\ntypeID=Tree Header Cell\nsettings=CS\ndataType=Date\n[Other]\ntypeID=Tree Header Cell\nsettings=CS\n"
     "[CS]\ntypeID=Tree Column Settings\n[Date]\ntypeID=Date Time Type\n",
     "TQVTTreeHeader(cells=[TQVTTreeHeaderCell#1(settings=TQVTTreeColSettings#2,dataType=TQVTTreeDateTimeCellType),"
     "#1,TQVTTreeHeaderCell(settings=#2,dataType=-)])"},
    {"tree grid", "G", GridIni,
     "TQVTTreeGrid(header=TQVTTreeHeader(cells=["
     "TQVTTreeHeaderCell(settings=TQVTTreeColSettings#1,dataType=TQVTTreeAutoCellNumber#2),"
     "TQVTTreeHeaderCell(settings=TQVTTreeColSettings#3,dataType=TQVTTreeSimpleTextCellType#4)]),"
     "root node=TQVTTreeNode(row=-,children=["
     "TQVTTreeNode(row=TQVTTreeRow(cells=["
     "TQVTTreeAutoCell(rowSettings=TQVTTreeRowSettings#5,colSettings=#1,dataType=#2),"
     "TQVTTreeSimpleTextCell(rowSettings=#5,colSettings=#3,dataType=#4)],settings=#5),"
     "children=[TQVTTreeNode(row=TQVTTreeRow(cells=[],settings=TQVTTreeRowSettings),children=[])]),"
     "TQVTTreeNode(row=TQVTTreeRow(cells=[],settings=-),children=[])]),"
     "vertical pane=TQVTTreeRowsResizePane,default row settings=#5,default col settings=#1)"},
};

TEST_F(TreeStructure, GraphsLoadAndSurviveASave)
{
    for (const GraphCase& c : GraphCases) {
        SCOPED_TRACE(c.name);
        const auto loaded = loadFrom(c.ini, c.section);
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(graphOf(loaded), c.graph);
        const auto reloaded = roundTrip(loaded);
        ASSERT_NE(reloaded, nullptr);
        EXPECT_EQ(graphOf(reloaded), c.graph);
    }
    EXPECT_TRUE(capture.messages.empty()) << capture.messages.front();
}

TEST_F(TreeStructure, ObjectsBuiltAtRunTimeAreSavedUnderNewSectionsAndUnresolvedReferencesStayNone)
{
    auto rowSettings = std::make_shared<TQVTTreeRowSettings>();
    auto colSettings = std::make_shared<TQVTTreeColSettings>();
    auto type = std::make_shared<TQVTTreeComboCellType>();
    auto cell = std::make_shared<TQVTTreeComboCell>();
    cell->FRowSettings = rowSettings;
    cell->FColSettings = colSettings;
    cell->FDataType = type;
    auto row = std::make_shared<TQVTTreeRow>();
    row->FCells = {cell};
    row->Fsettings = rowSettings;
    auto node = std::make_shared<TQVTTreeNode>();
    node->FRow = row;
    auto root = std::make_shared<TQVTTreeNode>();
    root->Fchildren = {node};

    const auto reloaded = roundTrip(root);
    ASSERT_NE(reloaded, nullptr);
    // The objects built here have no parents; the loaded ones have, and GraphText checks them.
    EXPECT_EQ(graphOf(reloaded), "TQVTTreeNode(row=-,children=[TQVTTreeNode(row=TQVTTreeRow(cells=["
                                 "TQVTTreeComboCell(rowSettings=TQVTTreeRowSettings#1,colSettings=TQVTTreeColSettings,"
                                 "dataType=TQVTTreeComboCellType)],settings=#1),children=[])])");
    const auto loadedRow = std::dynamic_pointer_cast<TQVTTreeNode>(reloaded)->Fchildren.at(0)->FRow;
    EXPECT_EQ(loadedRow->getUID(), row->getUID());
    EXPECT_EQ(loadedRow->getUID().rfind("AutoID:", 0), 0u);
    EXPECT_TRUE(capture.messages.empty());

    // References that cannot be resolved stay none.
    const auto loaded = loadFrom("[Cell]\ntypeID=Tree Date Time Cell\nrowSettings=CS\ncolSettings=Unknown\n"
                                 "[CS]\ntypeID=Tree Column Settings\n[Unknown]\ntypeID=Tree Column Setting\n"
                                 "[Node]\ntypeID=Tree Node\nrow=Node\nchildren#count=2\nchildren#0=Cell\n"
                                 "children#1=Node\n",
                                 "Node");
    // A column settings object named as row settings, an unknown type, a node naming itself
    // as its row and child, and a cell in a list of nodes all come back as none.
    EXPECT_EQ(graphOf(loaded), "TQVTTreeNode(row=-,children=[-,-])");
    EXPECT_EQ(capture.messages,
              (std::vector<std::string>{"Warning! Circular reference. Involved object: Node",
                                        "Warning: Unknown type idTree Column Setting", "Error loading Unknown",
                                        "Warning! Circular reference. Involved object: Node"}));
}

TEST_F(TreeStructure, TheBuiltInDocumentGivesTheDefaultTree)
{
    TQVTDefaultMedia media;
    TQVTEntityFactory factory;
    const auto tree = factory.loadObject("Default Tree", media, nullptr);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(graphOf(tree), "TQVTTreeGrid(header=TQVTTreeHeader(cells=["
                             "TQVTTreeHeaderCell(settings=TQVTTreeColSettings#1,dataType=TQVTTreeAutoCellNumber#2)]),"
                             "root node=TQVTTreeNode(row=-,children=["
                             "TQVTTreeNode(row=TQVTTreeRow(cells=["
                             "TQVTTreeAutoCell(rowSettings=TQVTTreeRowSettings#3,colSettings=#1,dataType=#2)],"
                             "settings=#3),children=[])]),"
                             "vertical pane=TQVTTreeRowsResizePane,default row settings=#3,default col settings=#1)");
    EXPECT_TRUE(capture.messages.empty());
    // The root node has no row to refer to.
    EXPECT_EQ(capture.log.size(), 1u);
}

} // namespace
