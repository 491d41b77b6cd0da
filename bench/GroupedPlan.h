#pragma once
// A plan of grouped rows for the table benchmarks: groups of ten, a summary row over nine rows
// with a task bar each, and a text column whose names repeat (about 1,000 distinct ones).

#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/tasktable/qvtTreeCellTypes.h"
#include "corvane/framework/tasktable/qvtTreeCells.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeHeader.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/framework/time/qvtCalendar.h"

#include <memory>
#include <string>

namespace corvane::bench {

constexpr int PlanRows = 100'000;
constexpr int GroupSize = 10;

inline std::shared_ptr<TQVTGanttDocument> makePlan(int rows)
{
    auto document = std::make_shared<TQVTGanttDocument>();
    document->Fcalendar = std::make_shared<TQVTDocumentCalendar>();
    document->Fcalendar->setParent(document.get());
    document->Ftable = std::make_shared<TQVTGanttTable>();
    document->Ftable->setParent(document.get());
    document->FTree = std::make_shared<TQVTTreeGrid>();
    document->FTree->setParent(document.get());
    TQVTTreeGrid& grid = *document->FTree;
    grid.FRootNode = std::make_shared<TQVTTreeNode>();
    grid.FRootNode->setParent(&grid);
    grid.FHeader = std::make_shared<TQVTTreeHeader>();
    grid.FHeader->setParent(&grid);
    auto column = std::make_shared<TQVTTreeHeaderCell>();
    column->FDataType = std::make_shared<TQVTTreeSimpleTextCellType>();
    grid.FHeader->insertHeaderCell(column, -1);
    TQVTGanttTable& table = *document->Ftable;
    // The critical path has benchmarks of its own.
    table.setAutoUpdateCriticalPath(false);
    std::shared_ptr<TQVTTreeNode> group;
    for (int i = 0; i < rows; ++i) {
        auto row = table.MakeBlankRow();
        row->setHeight(20);
        row->FOrder = i;
        table.FRows.push_back(row);
        auto node = std::make_shared<TQVTTreeNode>();
        node->FRow = TQVTTreeRow::Create(grid.FHeader.get(), nullptr);
        node->FRow->setParent(node.get());
        // About 1,000 distinct names: many ties.
        node->FRow->getCell(0)->SetText("Task " + std::to_string((i * 7919) % 1009));
        if (i % GroupSize == 0) {
            row->AddBar(std::make_shared<TQVTSummaryBar>());
            grid.FRootNode->Fchildren.push_back(node);
            node->setParent(grid.FRootNode.get());
            group = node;
        } else {
            const TDateTime start = 45000 + i % 97;
            row->AddBar(std::make_shared<TQVTTaskBar>(start, start + 1 + i % 5, i));
            group->Fchildren.push_back(node);
            node->setParent(group.get());
        }
    }
    grid.updateNodes();
    table.invalidateRowGeometry();
    table.UpdateSummaryBars();
    return document;
}

} // namespace corvane::bench
