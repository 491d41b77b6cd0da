#include "corvane/framework/media/qvtDefaultMedia.h"
#include "corvane/framework/media/qvtIniFileMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/platform/Colors.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <map>
#include <set>

using namespace corvane;
using corvane::test::Capture;
using corvane::test::ScratchDir;

namespace {

// One followed reference: "parent.key[index] -> section".
std::string edge(const TQVTReferenceEvent& e)
{
    std::string text = e.parentSection + "." + e.key;
    if (e.index >= 0)
        text += "[" + std::to_string(e.index) + "]";
    return text + " -> " + e.name;
}

struct LoadedGraph {
    std::shared_ptr<TQVTGanttObject> root;
    std::multiset<std::string> edges;           // every reference that resolved to an object
    std::map<std::string, std::string> classes; // section -> class of its object
    std::map<std::string, int> loads;           // section -> times it was loaded
    std::vector<std::string> messages;
};

LoadedGraph loadRoot(IQVTMedia& media)
{
    LoadedGraph graph;
    TQVTEntityFactory factory;
    factory.OnReference = [&](const TQVTReferenceEvent& e) {
        if (e.kind == TQVTReferenceEvent::Enter) {
            ++graph.loads[e.name];
            if (!e.key.empty())
                graph.edges.insert(edge(e));
        } else if (e.kind == TQVTReferenceEvent::Shared) {
            graph.edges.insert(edge(e));
        } else if (e.kind == TQVTReferenceEvent::Leave && e.object) {
            graph.classes[e.name] = e.object->ClassName();
        }
    };
    Capture capture;
    graph.root = factory.loadObject("root", media, nullptr);
    graph.messages = capture.messages;
    return graph;
}

const std::multiset<std::string> builtInEdges = {
    "root.table -> Default Table",
    "root.tree -> Default Tree",
    "root.calendar -> Default Calendar",
    "root.task bar settings -> Default Task Bar Settings",
    "root.connection settings -> Default Connection Settings",
    "root.image bar settings -> Default Image Bar Settings",
    "root.progress bar settings -> Default Progress Bar Settings",
    "root.text bar settings -> Default Text Bar Settings",
    "root.textual halo settings -> Default Text Halo Settings",
    "root.hint text settings -> Default Hint Text settings",
    "root.legend -> Default Legend",
    "root.time scales[0] -> Default Time Scale",
    "Default Time Scale.grid -> Default Table",
    "Default Table.default pert settings -> Default Pert Bar Settings",
    "Default Table.rows[0] -> Default Gantt Row",
    "Default Tree.header -> Default Tree Header",
    "Default Tree.root node -> Default Tree Root",
    "Default Tree.vertical pane -> Default Vertical Pane",
    "Default Tree.default row settings -> Default Tree Row Settings",
    "Default Tree.default col settings -> Default Tree Column Settings",
    "Default Calendar.categories[0] -> Weekends",
    "Default Calendar.categories[1] -> Holidays",
    "Default Tree Header.cells[0] -> Default Tree Header Cell",
    "Default Tree Header Cell.settings -> Default Tree Column Settings",
    "Default Tree Header Cell.dataType -> Default AutoNumber Type",
    "Default Tree Root.children[0] -> Default Tree Node",
    "Default Tree Node.row -> Default Tree Row",
    "Default Tree Row.settings -> Default Tree Row Settings",
    "Default Tree Row.cells[0] -> Default Tree Cell",
    "Default Tree Cell.rowSettings -> Default Tree Row Settings",
    "Default Tree Cell.colSettings -> Default Tree Column Settings",
    "Default Tree Cell.dataType -> Default AutoNumber Type",
};

const std::map<std::string, std::string> builtInClasses = {
    {"root", "TQVTGanttDocument"}, {"Default Table", "TQVTGanttTable"},
    {"Default Gantt Row", "TQVTGanttRow"}, {"Default Pert Bar Settings", "TQVTPertBarSettings"},
    {"Default Tree", "TQVTTreeGrid"}, {"Default Tree Header", "TQVTTreeHeader"},
    {"Default Tree Header Cell", "TQVTTreeHeaderCell"}, {"Default Tree Column Settings", "TQVTTreeColSettings"},
    {"Default Tree Row Settings", "TQVTTreeRowSettings"}, {"Default AutoNumber Type", "TQVTTreeAutoCellNumber"},
    {"Default Tree Root", "TQVTTreeNode"}, {"Default Tree Node", "TQVTTreeNode"},
    {"Default Tree Row", "TQVTTreeRow"}, {"Default Tree Cell", "TQVTTreeAutoCell"},
    {"Default Vertical Pane", "TQVTTreeRowsResizePane"}, {"Default Calendar", "TQVTDocumentCalendar"},
    {"Weekends", "TQVTWeekendsDateCategory"}, {"Holidays", "TQVTHolidaysDateCategory"},
    {"Default Task Bar Settings", "TQVTTaskBarSettings"}, {"Default Connection Settings", "TQVTConnectionSettings"},
    {"Default Image Bar Settings", "TQVTImageBarSettings"}, {"Default Progress Bar Settings", "TQVTProgressBarSettings"},
    {"Default Text Bar Settings", "TQVTTextSettings"}, {"Default Text Halo Settings", "TQVTTextHaloSettings"},
    {"Default Hint Text settings", "TQVTTextSettings"}, {"Default Legend", "TQVTLegend"},
    {"Default Time Scale", "TQVTTimeScale"},
};

} // namespace

TEST(DefaultDocument, LoadsExactlyTheBuiltInGraph)
{
    TQVTDefaultMedia media;
    const LoadedGraph graph = loadRoot(media);
    ASSERT_NE(graph.root, nullptr);
    EXPECT_TRUE(graph.messages.empty());
    EXPECT_EQ(graph.edges, builtInEdges);
    EXPECT_EQ(graph.classes, builtInClasses);
    for (const auto& [section, count] : graph.loads)
        EXPECT_EQ(count, 1) << section << " is shared, not loaded again";
}

// Saved to a file it loads the same graph; saved to the built-in store it changes nothing.
TEST(DefaultDocument, SavesToAFileThatLoadsTheSameGraph)
{
    ScratchDir dir;
    const auto path = dir.file("saved.ini");
    TQVTDefaultMedia builtIn;
    TQVTEntityFactory factory;
    const auto root = factory.loadObject("root", builtIn, nullptr);
    ASSERT_NE(root, nullptr);
    {
        TQVTINIFIle file(path);
        factory.saveObject("root", file, root.get());
        file.flush();
    }
    factory.saveObject("root", builtIn, root.get());
    EXPECT_EQ(loadRoot(builtIn).edges, builtInEdges);

    TQVTINIFIle file(path);
    const LoadedGraph graph = loadRoot(file);
    ASSERT_NE(graph.root, nullptr);
    EXPECT_TRUE(graph.messages.empty());
    EXPECT_EQ(graph.edges, builtInEdges);
    EXPECT_EQ(graph.classes, builtInClasses);
}

// The built-in store answers texts only; the categories' colours must still take effect, and a
// file's colour text that is no colour keeps black with a log line.
TEST(DefaultDocument, DateCategoriesTakeTheirColoursFromText)
{
    TQVTEntityFactory factory;
    TQVTDefaultMedia media;
    const auto weekends = std::dynamic_pointer_cast<TQVTDateCategory>(factory.loadObject("Weekends", media, nullptr));
    const auto holidays = std::dynamic_pointer_cast<TQVTDateCategory>(factory.loadObject("Holidays", media, nullptr));
    ASSERT_TRUE(weekends && holidays);
    EXPECT_EQ(weekends->getColor(), 0x027FFFFFu);
    EXPECT_EQ(holidays->getColor(), 0x023434FFu);

    test::ScratchDir dir;
    test::writeFile(dir.file("c.ini"), "[C]\ntypeID=Date Category\nName=Site\nColor=sunset\n");
    TQVTINIFIle file(dir.file("c.ini"));
    test::Capture capture;
    TQVTEntityFactory fileFactory;
    const auto site = std::dynamic_pointer_cast<TQVTDateCategory>(fileFactory.loadObject("C", file, nullptr));
    ASSERT_TRUE(site);
    EXPECT_EQ(site->getColor(), clBlack);
    EXPECT_EQ(capture.log.size(), 1u);
}
