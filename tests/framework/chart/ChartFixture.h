#pragma once
// Documents built in memory for the chart tests, and snapshots to compare models by.

#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtGanttBar.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/objects/qvtDataSourceIntf.h"
#include "corvane/framework/pert/qvtPertBar.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/platform/RealText.h"

#include "support/DocumentFileTest.h"
#include "support/TestSupport.h"

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace corvane::test {

/// The application's hooks; tests assign the events they need.
struct Hooks : TQVTDataSourceIntf {};

/// One row of a plan: its depth in the task tree, its bars and whether it has a PERT box.
struct RowPlan {
    int level = 0;
    std::vector<std::shared_ptr<TQVTGanttBar>> bars;
    bool pertBox = false;
};

class ChartFixture : public DocumentFileTest {
protected:
    /// A document with a calendar in days (no exceptions), a table of rows (height 20) and a
    /// numbered task tree of width 0 whose nodes follow the rows' levels, with its summary bars up to
    /// date; the document starts on day 100.
    void build(const std::vector<RowPlan>& rows)
    {
        document = std::make_shared<TQVTGanttDocument>();
        document->Fcalendar = std::make_shared<TQVTDocumentCalendar>();
        document->Fcalendar->setParent(document.get());
        document->setStartDate(100);
        document->Ftable = std::make_shared<TQVTGanttTable>();
        document->Ftable->setParent(document.get());
        document->FTree = std::make_shared<TQVTTreeGrid>();
        document->FTree->setParent(document.get());
        // No task tree beside the chart: the time axis starts at x = 0.
        document->FTree->setWidth(0);
        document->FTree->FRootNode = std::make_shared<TQVTTreeNode>();
        document->FTree->FRootNode->setParent(document->FTree.get());
        std::vector<TQVTTreeNode*> parents{document->FTree->FRootNode.get()};
        for (const RowPlan& plan : rows) {
            auto row = document->Ftable->MakeBlankRow();
            row->setHeight(20);
            row->FOrder = document->Ftable->countRows();
            document->Ftable->FRows.push_back(row);
            for (const auto& bar : plan.bars)
                row->AddBar(bar);
            if (plan.pertBox) {
                row->FPertBar = std::make_shared<TQVTPertBar>();
                row->FPertBar->setParent(row.get());
                document->Ftable->FRowsZOrder.push_back(row);
            }
            auto node = std::make_shared<TQVTTreeNode>();
            node->FRow = std::make_shared<TQVTTreeRow>();
            node->FRow->setParent(node.get());
            parents.resize(static_cast<std::size_t>(plan.level) + 1);
            parents.back()->Fchildren.push_back(node);
            node->setParent(parents.back());
            parents.push_back(node.get());
        }
        document->FTree->updateNodes();
        document->Ftable->invalidateRowGeometry();
        document->Ftable->UpdateSummaryBars();
    }

    TQVTGanttTable& table() { return *document->Ftable; }
    TQVTGanttRow& row(int i) { return *table().FRows.at(static_cast<std::size_t>(i)); }
    std::shared_ptr<TQVTGanttBar> bar(int r, int i) { return row(r).FBarList.at(static_cast<std::size_t>(i)); }

    /// Joins two bars of the document with a finish-to-start connection.
    std::shared_ptr<TQVTBarConnection> connect(const std::shared_ptr<TQVTGanttBar>& from,
                                               const std::shared_ptr<TQVTGanttBar>& to)
    {
        auto connection = std::make_shared<TQVTBarConnection>(from, to, TQVTBarConnection::FinishToStart);
        connection->setParent(document.get());
        document->connections.push_back(connection);
        return connection;
    }

    /// Joins the PERT boxes of two rows.
    std::shared_ptr<TQVTBarConnection> connectBoxes(int from, int to)
    {
        auto connection = std::make_shared<TQVTBarConnection>(row(from).FPertBar, row(to).FPertBar, 0);
        connection->setParent(&table());
        table().FPertBarConnections.push_back(connection);
        return connection;
    }

    /// The saved file plus what it does not hold, so equal snapshots mean the same model.
    std::string snapshot() { return readFile(saveToFile(document)) + describe(); }

    /// Rows with order, height, bars and times, box; z-order, PERT connections, connections.
    std::string describe()
    {
        std::ostringstream out;
        for (const auto& r : table().FRows) {
            out << r->getUID() << " order=" << r->FOrder << " height=" << r->getHeight()
                << " box=" << (r->FPertBar ? r->FPertBar->getUID() : "-") << "\n";
            for (const auto& b : r->FBarList)
                out << "  " << b->ClassName() << " " << b->getUID() << " [" << RealToText(b->FstartDate) << ", "
                    << RealToText(b->FendDate) << ")\n";
        }
        out << "z-order:";
        for (const auto& r : table().FRowsZOrder)
            out << " " << r->getUID();
        out << "\nPERT connections:";
        for (const auto& c : table().FPertBarConnections)
            out << " " << c->getUID();
        out << "\nconnections:";
        for (const auto& c : document->connections)
            out << " " << c->getUID() << "(" << c->barFrom->getUID() << "->" << c->barTo->getUID() << ")";
        out << "\n";
        return out.str();
    }

    std::shared_ptr<TQVTGanttDocument> document;
    Hooks hooks;
};

} // namespace corvane::test
