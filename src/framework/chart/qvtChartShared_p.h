#pragma once
// Pieces the chart's units share (internal): pixel rounding, the task tree's row spans, the
// data source's hooks and flag defaults, and the steps that take connections out of a
// deletion exactly once.

#include "corvane/framework/objects/qvtDataSourceIntf.h"
#include "corvane/framework/objects/qvtGanttObject.h"
#include "corvane/framework/objects/qvtOperation.h"

#include <memory>
#include <typeinfo>
#include <vector>

namespace corvane {

class TQVTBarConnection;
class TQVTGanttBar;
class TQVTGanttDocument;
class TQVTGanttRow;
class TQVTGanttTable;
class TQVTTreeNode;
struct RowTreeShape;

/// object as a T, none when it is no T. An object of class T itself is recognised before the
/// cast that walks the class tree: painting asks this of every bar's row and every row's table.
template <class T>
T* asChartObject(TQVTGanttObject* object)
{
    if (object && typeid(*object) == typeid(T))
        return static_cast<T*>(object);
    return dynamic_cast<T*>(object);
}

/// v rounded to the nearest integer, halves to even, clamped to the int range; NaN gives 0.
int roundHalfEven(double v);

/// Where the chart's time axis begins on the view, the x of the document's start date: the
/// document's getColStartX(0), the task tree's width. 0 without a document. Every x a bar
/// painter computes from a date starts here.
int chartOriginX(TQVTGanttDocument* document);

/// The data source's flags, or their defaults for an operation made without one.
const TQVTDataSourceIntf& flagsOf(const TQVTDataSourceIntf* dataSource);

/// Open while a change that failed half way is taken back. What is put back was done moments
/// ago by the same operation, so no before-event is asked (a veto would leave the change half
/// done); after-events are still told.
class RollbackScope {
public:
    RollbackScope() { ++depth(); }
    ~RollbackScope() { --depth(); }
    RollbackScope(const RollbackScope&) = delete;
    RollbackScope& operator=(const RollbackScope&) = delete;

    static bool active() { return depth() > 0; }

private:
    static int& depth()
    {
        thread_local int open = 0;
        return open;
    }
};

/// Whether the data source's before-event cancels the change of bar; false without a data
/// source and during a rollback.
inline bool cancelledBy(const TQVTDataSourceIntf* dataSource, TQVTBeforeBarOperationEvent TQVTDataSourceIntf::*event,
                        TQVTGanttBar* bar)
{
    return dataSource && !RollbackScope::active() && TQVTDataSourceIntf::cancelledBy(dataSource->*event, bar);
}

/// Tells the data source's after-event, if there is one.
inline void tellAfter(const TQVTDataSourceIntf* dataSource, TQVTAfterBarOperationEvent TQVTDataSourceIntf::*event,
                      TQVTGanttBar* bar)
{
    if (dataSource)
        TQVTDataSourceIntf::tell(dataSource->*event, bar);
}

/// Deletes one document connection with the connection events; undo puts it back at the index
/// it had. When the connection is no longer the document's (another part of the same deletion
/// took it), it does nothing and its undo restores nothing, so a connection is deleted and
/// restored once.
class ConnectionRemovalStep : public TQVTOperation {
public:
    ConnectionRemovalStep(TQVTDataSourceIntf* dataSource, TQVTGanttDocument& document,
                          std::shared_ptr<TQVTBarConnection> connection);

    bool perform() override;
    bool undo() override;

private:
    TQVTGanttDocument* FDocument;
    std::shared_ptr<TQVTBarConnection> FConnection;
    /// Where the connection was; -1 while this step holds nothing to put back.
    int FIndex = -1;
};

/// Takes one connection out of the table's PERT connections and puts it back at its index;
/// nothing when it is no longer in the list.
class PertConnectionRemovalStep : public TQVTOperation {
public:
    PertConnectionRemovalStep(TQVTGanttTable& table, std::shared_ptr<TQVTBarConnection> connection);

    bool perform() override;
    bool undo() override;

private:
    std::weak_ptr<TQVTGanttTable> FTable;
    std::shared_ptr<TQVTBarConnection> FConnection;
    int FIndex = -1;
};

/// Runs an operation backwards: perform undoes it, undo performs it again.
class ReversedStep : public TQVTOperation {
public:
    explicit ReversedStep(TQVTOperationPtr step) : TQVTOperation(nullptr), FStep(std::move(step)) {}

    bool perform() override { return FStep->undo(); }
    bool undo() override { return FStep->perform(); }

private:
    TQVTOperationPtr FStep;
};

/// Appends to steps one removal step for every document connection with an end among bars,
/// in the document's order; nothing when the table belongs to no document.
void addConnectionRemovals(std::vector<TQVTOperationPtr>& steps, TQVTDataSourceIntf* dataSource, TQVTGanttTable& table,
                           const std::vector<const TQVTGanttBar*>& bars);
/// Appends one removal step for every PERT connection of the table from or to box.
void addPertConnectionRemovals(std::vector<TQVTOperationPtr>& steps, TQVTGanttTable& table, const TQVTGanttBar* box);

/// Where a bar is painted: its table, the table's document and its row; all none unless the bar
/// is in a row of a table within a document.
struct BarPlacement {
    TQVTGanttDocument* document = nullptr;
    TQVTGanttTable* table = nullptr;
    TQVTGanttRow* row = nullptr;
};
BarPlacement placementOf(TQVTGanttBar* bar);
/// Whether the bar meets the document's dates in a shown row.
bool shownOnChart(TQVTGanttBar& bar, const BarPlacement& placement);

/// The root node of the task tree of the table's document; none without a document or a tree.
std::shared_ptr<TQVTTreeNode> taskTreeRoot(const TQVTGanttTable& table);
/// The task tree below root as count rows see it (see RowTreeShape); without a root no row
/// has children. Linear in count whatever the tree holds. Fills shape, reusing its storage.
void findRowTreeShape(const TQVTTreeNode* root, int count, RowTreeShape& shape);

} // namespace corvane
