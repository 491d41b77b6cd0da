#pragma once
// Task table documents whose tree rows remember their chart rows, so that a test can tell
// whether tree row i and chart row i still describe the same task.

#include "corvane/framework/chart/qvtRowOperations.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/interaction/qvtUndoRedoStack.h"
#include "corvane/framework/tasktable/qvtTreeCellTypes.h"
#include "corvane/framework/tasktable/qvtTreeCells.h"
#include "corvane/framework/tasktable/qvtTreeHeader.h"
#include "corvane/framework/tasktable/qvtTreeOrder.h"

#include "framework/chart/ChartFixture.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace corvane::test {

/// A row of an outline: its depth and its text in the Name column.
struct OutlineRow {
    int level;
    std::string name;
};

class TreeOrderFixture : public ChartFixture {
protected:
    /// Rows with children get a summary bar, the others a task bar of their own.
    void buildOutline(const std::vector<OutlineRow>& outline)
    {
        std::vector<RowPlan> plan;
        for (std::size_t i = 0; i < outline.size(); ++i) {
            const bool group = i + 1 < outline.size() && outline[i + 1].level > outline[i].level;
            const TDateTime start = 110 + static_cast<int>(i);
            plan.push_back({outline[i].level,
                            {group ? std::shared_ptr<TQVTGanttBar>(std::make_shared<TQVTSummaryBar>())
                                   : std::make_shared<TQVTTaskBar>(start, start + 2, 0)}});
        }
        build(plan);
        document->FDataSource = &hooks;
        auto header = std::make_shared<TQVTTreeHeader>();
        header->setParent(&grid());
        grid().FHeader = header;
        const std::pair<const char*, std::shared_ptr<TQVTTreeCellType>> columns[] = {
            {"Name", std::make_shared<TQVTTreeSimpleTextCellType>()},
            {"Count", std::make_shared<TQVTTreeSpinCellType>()},
            {"Note", std::make_shared<TQVTTreeMultilineTextCellType>()}};
        for (const auto& [title, type] : columns) {
            auto column = std::make_shared<TQVTTreeHeaderCell>();
            column->FTitle = title;
            column->FDataType = type;
            header->insertHeaderCell(column, -1);
        }
        for (int i = 0; i < grid().rowsCount(); ++i) {
            TQVTTreeNode* node = grid().findNodeByIndex(i);
            node->FRow = TQVTTreeRow::Create(header.get(), nullptr);
            node->FRow->setParent(node);
            node->FRow->getCell(0)->SetText(outline[static_cast<std::size_t>(i)].name);
        }
        grid().updateNodes();
        chartRowOf.clear();
        for (int i = 0; i < grid().rowsCount(); ++i)
            chartRowOf[grid().getRow(i)] = &row(i);
    }

    TQVTTreeGrid& grid() { return *document->FTree; }
    std::string name(int i) { return grid().getCellStringValue(i, 0); }
    /// The names of the rows in index order, joined by blanks.
    std::string names()
    {
        std::string out;
        for (int i = 0; i < grid().rowsCount(); ++i)
            out += (i ? " " : "") + name(i);
        return out;
    }
    int summaryBars(int r) { return row(r).countBarsOfKind<TQVTSummaryBar>(); }

    /// Tree row i and chart row i are the same task, and both are numbered i.
    void expectInStep()
    {
        ASSERT_EQ(grid().rowsCount(), table().countRows());
        for (int i = 0; i < grid().rowsCount(); ++i) {
            ASSERT_EQ(grid().getRow(i)->FIndex, i);
            ASSERT_EQ(row(i).FOrder, i);
            ASSERT_EQ(chartRowOf.at(grid().getRow(i)), &row(i)) << "row " << i << " (" << name(i) << ")";
        }
    }

    std::map<const TQVTTreeRow*, const TQVTGanttRow*> chartRowOf;
    TQVTUndoRedoStack history;
};

} // namespace corvane::test
