#include "documentReport.h"

#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtGanttBar.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/pert/qvtCriticalPath.h"
#include "corvane/framework/tasktable/qvtTreeCells.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeHeader.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/platform/FormatSettings.h"
#include "corvane/platform/RealText.h"

#include "json.h"

#include <cmath>

namespace corvane::cli {

namespace {

// 0 stands for no date.
std::string dateText(TDateTime dt)
{
    return dt == 0 ? "none" : FormatDateTime("yyyy-mm-dd hh:nn", dt);
}

std::string kindText(int connType)
{
    static const char* const kinds[] = {"FF", "FS", "SF", "SS"};
    return kinds[connType & 3];
}

std::string sectionOf(const TQVTGanttObject* object)
{
    return object ? object->getUID() : std::string();
}

BarSummary summarizeBar(TQVTGanttBar& bar)
{
    BarSummary summary;
    summary.section = sectionOf(&bar);
    summary.kind = bar.ClassName();
    summary.start = dateText(bar.getStartDate());
    summary.end = dateText(bar.getEndDate());
    summary.effectiveDuration = bar.getEffectiveDuration();
    summary.progress = bar.FProgress;
    if (const auto* task = dynamic_cast<const TQVTTaskBar*>(&bar)) {
        summary.isTask = true;
        summary.bufferLeft = task->FBufferTimeLeft;
        summary.bufferRight = task->FBufferTimeRight;
        summary.earlyStart = dateText(task->FESTime);
        summary.lateFinish = dateText(task->FLFTime);
        summary.localBuffer = task->FLBTime;
        summary.globalBuffer = task->FGBTime;
        summary.critical = task->FCriticalElement;
    }
    return summary;
}

CriticalPathSummary summarizeCriticalPath(TQVTGanttTable& table)
{
    const TQVTCriticalPathCalculator& calculator = table.getCriticalPathCalculator();
    CriticalPathSummary summary{
        dateText(calculator.getProjectStart()), dateText(calculator.getProjectEnd()), {}, {}, {}};
    for (const TQVTTaskBar* bar : calculator.criticalBars())
        summary.bars.push_back(sectionOf(bar));
    for (const TQVTBarConnection* c : calculator.criticalConnections())
        summary.connections.push_back(sectionOf(c));
    for (const TQVTTaskBar* bar : calculator.cycleBars())
        summary.cycleBars.push_back(sectionOf(bar));
    return summary;
}

// Automatic cells show what their type computes; the others their text.
std::vector<std::string> cellTexts(const TQVTTreeRow& row)
{
    std::vector<std::string> texts;
    for (int i = 0; i < row.cellsCount(); ++i) {
        const TQVTTreeCell* cell = row.getCell(i);
        const auto* automatic = dynamic_cast<const TQVTTreeAutoCell*>(cell);
        texts.push_back(automatic ? automatic->calculateValue() : cell ? cell->FText : std::string());
    }
    return texts;
}

std::vector<TaskRowSummary> summarizeTaskRows(const TQVTTreeGrid& grid)
{
    std::vector<TaskRowSummary> rows;
    for (int i = 0; i < grid.rowsCount(); ++i) {
        const TQVTTreeNode* node = grid.findNodeByIndex(i);
        if (!node)
            continue;
        const char* state = !node->hasChildren() ? "leaf" : node->isCollapsed() ? "collapsed" : "expanded";
        rows.push_back({grid.getRowLevel(i), grid.FContinuousNumbering ? node->FNumberCont : node->FNumberHierchy, state,
                        node->FRow ? cellTexts(*node->FRow) : std::vector<std::string>{}});
    }
    return rows;
}

// Days with up to four decimals, as the file keeps them.
std::string daysText(double days)
{
    return RealToText(std::round(days * 1e4) / 1e4);
}

std::string jsonList(const std::vector<std::string>& items)
{
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i)
        out += (i ? ", " : "") + jsonString(items[i]);
    return out + "]";
}

void printList(std::ostream& out, const char* title, const std::vector<std::string>& items)
{
    out << "  " << title << " (" << items.size() << ")";
    for (const std::string& item : items)
        out << " \"" << item << '"';
    out << '\n';
}

} // namespace

bool summarizeDocument(const TQVTGanttObject* root, DocumentSummary& summary)
{
    const auto* document = dynamic_cast<const TQVTGanttDocument*>(root);
    if (!document)
        return false;
    summary.startDate = dateText(document->FStartDate);
    summary.endDate = dateText(document->FEndDate);
    if (document->Ftable) {
        for (const auto& row : document->Ftable->FRows) {
            RowSummary rowSummary{sectionOf(row.get()), {}};
            for (const auto& bar : row->FBarList)
                rowSummary.bars.push_back(summarizeBar(*bar));
            summary.rows.push_back(std::move(rowSummary));
        }
        summary.criticalPath = summarizeCriticalPath(*document->Ftable);
    }
    for (const auto& c : document->connections)
        summary.connections.push_back({sectionOf(c.get()), sectionOf(c->barFrom.get()), sectionOf(c->barTo.get()),
                                       kindText(c->getConnType()), c->FMinDistance});
    if (document->FTree) {
        for (int c = 0; c < document->FTree->colsCount(); ++c) {
            const TQVTTreeHeaderCell* column = document->FTree->FHeader->getHeaderCell(c);
            summary.columnTitles.push_back(column ? column->FTitle : std::string());
        }
        summary.taskRows = summarizeTaskRows(*document->FTree);
    }
    return true;
}

void printDocumentText(std::ostream& out, const DocumentSummary& document)
{
    out << "\nDocument: start " << document.startDate << ", end " << document.endDate << '\n';
    out << "Rows (" << document.rows.size() << ")\n";
    for (std::size_t i = 0; i < document.rows.size(); ++i) {
        const RowSummary& row = document.rows[i];
        out << "  [" << i << "] \"" << row.section << "\"\n";
        for (const BarSummary& bar : row.bars) {
            out << "      " << bar.kind << " \"" << bar.section << "\"  " << bar.start << " .. " << bar.end << ", "
                << daysText(bar.effectiveDuration) << " working days, " << bar.progress << " %";
            if (bar.isTask)
                out << ", buffers " << daysText(bar.bufferLeft) << "/" << daysText(bar.bufferRight) << "; early start "
                    << bar.earlyStart << ", late finish " << bar.lateFinish << ", local buffer "
                    << daysText(bar.localBuffer) << ", global buffer " << daysText(bar.globalBuffer)
                    << (bar.critical ? ", critical" : "");
            out << '\n';
        }
    }
    out << "Connections (" << document.connections.size() << ")\n";
    for (const ConnectionSummary& c : document.connections)
        out << "  \"" << c.section << "\"  \"" << c.from << "\" -> \"" << c.to << "\"  " << c.kind << ", distance "
            << c.distance << '\n';
    const CriticalPathSummary& path = document.criticalPath;
    out << "Critical path: project " << path.projectStart << " .. " << path.projectEnd << '\n';
    printList(out, "critical bars", path.bars);
    printList(out, "critical connections", path.connections);
    if (!path.cycleBars.empty())
        printList(out, "bars on a precedence cycle, left out", path.cycleBars);
    out << "Task table (" << document.taskRows.size() << " rows)";
    for (const std::string& title : document.columnTitles)
        out << " | " << title;
    out << '\n';
    for (std::size_t i = 0; i < document.taskRows.size(); ++i) {
        const TaskRowSummary& row = document.taskRows[i];
        out << "  [" << i << "] " << std::string(2 * static_cast<std::size_t>(row.level), ' ') << row.number
            << "  level " << row.level << ", " << row.state;
        for (const std::string& text : row.cells)
            out << " | " << text;
        out << '\n';
    }
}

std::string documentJsonMember(const DocumentSummary& document)
{
    std::string out = "\"document\": {\"startDate\": " + jsonString(document.startDate) +
                      ", \"endDate\": " + jsonString(document.endDate) + ",\n  \"rows\": [";
    for (std::size_t i = 0; i < document.rows.size(); ++i) {
        const RowSummary& row = document.rows[i];
        out += std::string(i ? ",\n" : "\n") + "    {\"section\": " + jsonString(row.section) + ", \"bars\": [";
        for (std::size_t j = 0; j < row.bars.size(); ++j) {
            const BarSummary& bar = row.bars[j];
            out += std::string(j ? ", " : "") + "{\"section\": " + jsonString(bar.section) +
                   ", \"class\": " + jsonString(bar.kind) + ", \"start\": " + jsonString(bar.start) +
                   ", \"end\": " + jsonString(bar.end) + ", \"effectiveDuration\": " + daysText(bar.effectiveDuration) +
                   ", \"progress\": " + std::to_string(bar.progress);
            if (bar.isTask)
                out += ", \"bufferLeft\": " + daysText(bar.bufferLeft) +
                       ", \"bufferRight\": " + daysText(bar.bufferRight) +
                       ", \"earlyStart\": " + jsonString(bar.earlyStart) +
                       ", \"lateFinish\": " + jsonString(bar.lateFinish) +
                       ", \"localBuffer\": " + daysText(bar.localBuffer) +
                       ", \"globalBuffer\": " + daysText(bar.globalBuffer) +
                       ", \"critical\": " + (bar.critical ? "true" : "false");
            out += "}";
        }
        out += "]}";
    }
    out += "],\n  \"connections\": [";
    for (std::size_t i = 0; i < document.connections.size(); ++i) {
        const ConnectionSummary& c = document.connections[i];
        out += std::string(i ? ",\n" : "\n") + "    {\"section\": " + jsonString(c.section) +
               ", \"from\": " + jsonString(c.from) + ", \"to\": " + jsonString(c.to) +
               ", \"type\": " + jsonString(c.kind) + ", \"distance\": " + std::to_string(c.distance) + "}";
    }
    const CriticalPathSummary& path = document.criticalPath;
    out += "],\n  \"criticalPath\": {\"projectStart\": " + jsonString(path.projectStart) +
           ", \"projectEnd\": " + jsonString(path.projectEnd) + ", \"bars\": " + jsonList(path.bars) +
           ", \"connections\": " + jsonList(path.connections) + ", \"cycleBars\": " + jsonList(path.cycleBars) + "}";
    out += ",\n  \"taskColumns\": " + jsonList(document.columnTitles) + ",\n  \"taskTable\": [";
    for (std::size_t i = 0; i < document.taskRows.size(); ++i) {
        const TaskRowSummary& row = document.taskRows[i];
        out += std::string(i ? ",\n" : "\n") + "    {\"index\": " + std::to_string(i) +
               ", \"level\": " + std::to_string(row.level) + ", \"number\": " + jsonString(row.number) +
               ", \"state\": " + jsonString(row.state) + ", \"cells\": " + jsonList(row.cells) + "}";
    }
    return out + "]}";
}

} // namespace corvane::cli
