#include "documentReport.h"

#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtGanttBar.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/platform/FormatSettings.h"

#include "json.h"

namespace corvane::cli {

namespace {

std::string dateText(TDateTime dt)
{
    return FormatDateTime("yyyy-mm-dd hh:nn", dt);
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
                rowSummary.bars.push_back({sectionOf(bar.get()), bar->ClassName(), dateText(bar->getStartDate()),
                                           dateText(bar->getEndDate())});
            summary.rows.push_back(std::move(rowSummary));
        }
    }
    for (const auto& c : document->connections)
        summary.connections.push_back({sectionOf(c.get()), sectionOf(c->barFrom.get()), sectionOf(c->barTo.get()),
                                       kindText(c->getConnType()), c->FMinDistance});
    return true;
}

void printDocumentText(std::ostream& out, const DocumentSummary& document)
{
    out << "\nDocument: start " << document.startDate << ", end " << document.endDate << '\n';
    out << "Rows (" << document.rows.size() << ")\n";
    for (std::size_t i = 0; i < document.rows.size(); ++i) {
        const RowSummary& row = document.rows[i];
        out << "  [" << i << "] \"" << row.section << "\"\n";
        for (const BarSummary& bar : row.bars)
            out << "      " << bar.kind << " \"" << bar.section << "\"  " << bar.start << " .. " << bar.end << '\n';
    }
    out << "Connections (" << document.connections.size() << ")\n";
    for (const ConnectionSummary& c : document.connections)
        out << "  \"" << c.section << "\"  \"" << c.from << "\" -> \"" << c.to << "\"  " << c.kind << ", distance "
            << c.distance << '\n';
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
                   ", \"end\": " + jsonString(bar.end) + "}";
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
    return out + "]}";
}

} // namespace corvane::cli
