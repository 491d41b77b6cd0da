#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtChartShared_p.h"
#include "corvane/framework/chart/qvtGanttBar.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace corvane {

int roundHalfEven(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (v <= std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    // The default rounding mode rounds halves to even.
    return static_cast<int>(std::nearbyint(v));
}

int chartOriginX(TQVTGanttDocument* document)
{
    return document ? document->getColStartX(0) : 0;
}

const TQVTDataSourceIntf& flagsOf(const TQVTDataSourceIntf* dataSource)
{
    static const TQVTDataSourceIntf defaults;
    return dataSource ? *dataSource : defaults;
}

BarPlacement placementOf(TQVTGanttBar* bar)
{
    BarPlacement p;
    // As findTable, with the row looked up once: only a bar its row lists is in the table.
    TQVTGanttRow* row = bar ? bar->getParentRow() : nullptr;
    p.table = row && row->indexOf(bar) >= 0 ? row->getTable() : nullptr;
    p.document = p.table ? p.table->findDocument() : nullptr;
    p.row = p.document ? row : nullptr;
    return p;
}

bool shownOnChart(TQVTGanttBar& bar, const BarPlacement& placement)
{
    return placement.row && placement.row->IsVisible() && placement.document->getStartDate() <= bar.getEndDate() &&
           bar.getStartDate() <= placement.document->getEndDate();
}

std::shared_ptr<TQVTTreeNode> taskTreeRoot(const TQVTGanttTable& table)
{
    const TQVTGanttDocument* document = table.findDocument();
    return document && document->FTree ? document->FTree->FRootNode : nullptr;
}

void findRowTreeShape(const TQVTTreeNode* root, int count, RowTreeShape& shape)
{
    shape.subtreeEnd.clear();
    shape.parent.clear();
    shape.subtreeEnd.reserve(static_cast<std::size_t>(count));
    shape.parent.reserve(static_cast<std::size_t>(count));
    if (root) {
        // A sound tree has one node per row and a root; a node listed twice (a damaged tree)
        // must not make the walk grow past that, so it stops entering nodes there.
        const std::size_t maxNodes = 2 * (static_cast<std::size_t>(count) + 1);
        std::size_t entered = 0;
        // Iterative, so that deep trees cannot exhaust the stack.
        struct Frame {
            const TQVTTreeNode* node;
            std::size_t nextChild;
            int row;      // -1 for a node without row
            int rowAbove; // the row of the node or of its nearest ancestor with one
        };
        std::vector<Frame> stack;
        const auto enter = [&](const TQVTTreeNode* node) {
            ++entered;
            const int above = stack.empty() ? -1 : stack.back().rowAbove;
            int row = -1;
            if (node->FRow) {
                row = static_cast<int>(shape.subtreeEnd.size());
                shape.subtreeEnd.push_back(row);
                shape.parent.push_back(above);
            }
            stack.push_back(Frame{node, 0, row, row >= 0 ? row : above});
        };
        enter(root);
        while (!stack.empty()) {
            Frame& top = stack.back();
            if (top.nextChild < top.node->Fchildren.size() && entered < maxNodes) {
                // Large trees wait on memory; the next siblings are asked for ahead.
                if (top.nextChild + 4 < top.node->Fchildren.size()) {
                    const TQVTTreeNode* ahead = top.node->Fchildren[top.nextChild + 4].get();
                    __builtin_prefetch(&ahead->FRow);
                    __builtin_prefetch(&ahead->Fchildren);
                }
                const TQVTTreeNode* child = top.node->Fchildren[top.nextChild++].get();
                if (child)
                    enter(child);
                continue;
            }
            if (top.row >= 0)
                shape.subtreeEnd[static_cast<std::size_t>(top.row)] = static_cast<int>(shape.subtreeEnd.size()) - 1;
            stack.pop_back();
        }
    }
    // A tree with more rows than the table keeps only the table's; rows it lacks stand alone.
    shape.subtreeEnd.resize(static_cast<std::size_t>(count));
    shape.parent.resize(static_cast<std::size_t>(count), -1);
    for (int r = 0; r < count; ++r) {
        int& end = shape.subtreeEnd[static_cast<std::size_t>(r)];
        end = std::clamp(end, r, count - 1);
    }
}

ConnectionRemovalStep::ConnectionRemovalStep(TQVTDataSourceIntf* dataSource, TQVTGanttDocument& document,
                                             std::shared_ptr<TQVTBarConnection> connection)
    : TQVTOperation(dataSource),
      FDocument(&document),
      FConnection(std::move(connection))
{
}

bool ConnectionRemovalStep::perform()
{
    FIndex = -1;
    if (FDocument->getConnectionIndex(FConnection.get()) < 0)
        return true;
    if (FDataSource && !RollbackScope::active() &&
        TQVTDataSourceIntf::cancelledBy(FDataSource->OnBeforeConnectionDelete, FConnection.get()))
        return false;
    FIndex = FDocument->removeConnection(FConnection.get());
    if (FDataSource)
        TQVTDataSourceIntf::tell(FDataSource->OnAfterConnectionDelete, FConnection.get());
    return true;
}

bool ConnectionRemovalStep::undo()
{
    if (FIndex < 0)
        return true;
    if (FDataSource && !RollbackScope::active() &&
        TQVTDataSourceIntf::cancelledBy(FDataSource->OnBeforeConnectionAdd, FConnection.get()))
        return false;
    FDocument->addConnection(FConnection, FIndex);
    FIndex = -1;
    if (FDataSource)
        TQVTDataSourceIntf::tell(FDataSource->OnAfterConnectionAdd, FConnection.get());
    return true;
}

PertConnectionRemovalStep::PertConnectionRemovalStep(TQVTGanttTable& table,
                                                     std::shared_ptr<TQVTBarConnection> connection)
    : TQVTOperation(nullptr),
      FTable(std::static_pointer_cast<TQVTGanttTable>(table.shared_from_this())),
      FConnection(std::move(connection))
{
}

bool PertConnectionRemovalStep::perform()
{
    const auto table = FTable.lock();
    if (!table)
        return false;
    auto& list = table->FPertBarConnections;
    const auto it = std::find(list.begin(), list.end(), FConnection);
    FIndex = it == list.end() ? -1 : static_cast<int>(it - list.begin());
    if (it != list.end())
        list.erase(it);
    return true;
}

bool PertConnectionRemovalStep::undo()
{
    const auto table = FTable.lock();
    if (!table)
        return false;
    if (FIndex >= 0) {
        auto& list = table->FPertBarConnections;
        list.insert(list.begin() + std::min<std::ptrdiff_t>(FIndex, std::ssize(list)), FConnection);
        FIndex = -1;
    }
    return true;
}

void addConnectionRemovals(std::vector<TQVTOperationPtr>& steps, TQVTDataSourceIntf* dataSource, TQVTGanttTable& table,
                           const std::vector<const TQVTGanttBar*>& bars)
{
    TQVTGanttDocument* document = table.findDocument();
    if (!document)
        return;
    // The bars' own connections, taken in the order of the document's list; the list itself is
    // only compared by address, so its connections are not read.
    std::vector<const TQVTBarConnection*> own;
    for (const TQVTGanttBar* bar : bars)
        for (const TQVTBarConnection* connection : document->connectionsAt(bar))
            own.push_back(connection);
    if (own.empty())
        return;
    std::sort(own.begin(), own.end());
    own.erase(std::unique(own.begin(), own.end()), own.end());
    for (const auto& connection : document->connections)
        if (std::binary_search(own.begin(), own.end(), connection.get()))
            steps.push_back(std::make_shared<ConnectionRemovalStep>(dataSource, *document, connection));
}

void addPertConnectionRemovals(std::vector<TQVTOperationPtr>& steps, TQVTGanttTable& table, const TQVTGanttBar* box)
{
    if (!box)
        return;
    for (const auto& connection : table.FPertBarConnections)
        if (connection && (connection->barFrom.get() == box || connection->barTo.get() == box))
            steps.push_back(std::make_shared<PertConnectionRemovalStep>(table, connection));
}

} // namespace corvane
