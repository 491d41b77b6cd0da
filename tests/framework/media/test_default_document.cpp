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

// "parent.key[index] -> section"
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

// Every reference of the built-in document: where it is, the section it names, that section's class.
const struct { const char *reference, *section, *className; } builtInReferences[] = {
    {"root.table", "Default Table", "TQVTGanttTable"},
    {"root.tree", "Default Tree", "TQVTTreeGrid"},
    {"root.calendar", "Default Calendar", "TQVTDocumentCalendar"},
    {"root.task bar settings", "Default Task Bar Settings", "TQVTTaskBarSettings"},
    {"root.connection settings", "Default Connection Settings", "TQVTConnectionSettings"},
    {"root.image bar settings", "Default Image Bar Settings", "TQVTImageBarSettings"},
    {"root.progress bar settings", "Default Progress Bar Settings", "TQVTProgressBarSettings"},
    {"root.text bar settings", "Default Text Bar Settings", "TQVTTextSettings"},
    {"root.textual halo settings", "Default Text Halo Settings", "TQVTTextHaloSettings"},
    {"root.hint text settings", "Default Hint Text settings", "TQVTTextSettings"},
    {"root.legend", "Default Legend", "TQVTLegend"},
    {"root.time scales[0]", "Default Time Scale", "TQVTTimeScale"},
    {"Default Time Scale.grid", "Default Table", "TQVTGanttTable"},
    {"Default Table.default pert settings", "Default Pert Bar Settings", "TQVTPertBarSettings"},
    {"Default Table.rows[0]", "Default Gantt Row", "TQVTGanttRow"},
    {"Default Tree.header", "Default Tree Header", "TQVTTreeHeader"},
    {"Default Tree.root node", "Default Tree Root", "TQVTTreeNode"},
    {"Default Tree.vertical pane", "Default Vertical Pane", "TQVTTreeRowsResizePane"},
    {"Default Tree.default row settings", "Default Tree Row Settings", "TQVTTreeRowSettings"},
    {"Default Tree.default col settings", "Default Tree Column Settings", "TQVTTreeColSettings"},
    {"Default Calendar.categories[0]", "Weekends", "TQVTWeekendsDateCategory"},
    {"Default Calendar.categories[1]", "Holidays", "TQVTHolidaysDateCategory"},
    {"Default Tree Header.cells[0]", "Default Tree Header Cell", "TQVTTreeHeaderCell"},
    {"Default Tree Header Cell.settings", "Default Tree Column Settings", "TQVTTreeColSettings"},
    {"Default Tree Header Cell.dataType", "Default AutoNumber Type", "TQVTTreeAutoCellNumber"},
    {"Default Tree Root.children[0]", "Default Tree Node", "TQVTTreeNode"},
    {"Default Tree Node.row", "Default Tree Row", "TQVTTreeRow"},
    {"Default Tree Row.settings", "Default Tree Row Settings", "TQVTTreeRowSettings"},
    {"Default Tree Row.cells[0]", "Default Tree Cell", "TQVTTreeAutoCell"},
    {"Default Tree Cell.rowSettings", "Default Tree Row Settings", "TQVTTreeRowSettings"},
    {"Default Tree Cell.colSettings", "Default Tree Column Settings", "TQVTTreeColSettings"},
    {"Default Tree Cell.dataType", "Default AutoNumber Type", "TQVTTreeAutoCellNumber"},
};

void expectBuiltInGraph(const LoadedGraph& graph)
{
    std::multiset<std::string> edges;
    std::map<std::string, std::string> classes{{"root", "TQVTGanttDocument"}};
    for (const auto& r : builtInReferences) {
        edges.insert(std::string(r.reference) + " -> " + r.section);
        classes[r.section] = r.className;
    }
    ASSERT_NE(graph.root, nullptr);
    EXPECT_TRUE(graph.messages.empty());
    EXPECT_EQ(graph.edges, edges);
    EXPECT_EQ(graph.classes, classes);
}

} // namespace

TEST(DefaultDocument, LoadsExactlyTheBuiltInGraph)
{
    TQVTDefaultMedia media;
    const LoadedGraph graph = loadRoot(media);
    expectBuiltInGraph(graph);
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
    expectBuiltInGraph(loadRoot(builtIn));
    TQVTINIFIle file(path);
    expectBuiltInGraph(loadRoot(file));
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
