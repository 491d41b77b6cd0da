// A first schedule, built through the data source's editing commands alone: two groups of
// tasks, their bars, the connections between them and a holiday. The schedule is saved, loaded
// back into a second data source, and its critical path is printed.
//
//   first_schedule [OUT.ini]      (default: first-schedule.ini in the current folder)

#include <corvane/corvane.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>

using namespace corvane;

namespace {

// TDateTime counts days from 30 December 1899; day 46174 is Monday, 1 June 2026.
constexpr TDateTime June1 = 46174;

std::string dateText(TDateTime date)
{
    using namespace std::chrono;
    const year_month_day day{sys_days{1899y / December / 30} + days{static_cast<int>(date)}};
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(day.year()),
                  static_cast<unsigned>(day.month()), static_cast<unsigned>(day.day()));
    return text;
}

// A task bar of `days` calendar days from `start` in row `row`, added as one undoable step.
std::shared_ptr<TQVTGanttBar> addTask(TQVTDataSource& source, int row, TDateTime start, double days)
{
    auto bar = std::make_shared<TQVTTaskBar>(start, start + days, row);
    return source.BarAdd(bar, row) ? bar : nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path file = std::filesystem::absolute(argc > 1 ? argv[1] : "first-schedule.ini");
    const std::string storage = "file://" + file.string();

    // A data source starts with the built-in document: one empty row.
    TQVTDataSource source;
    source.AutoCreatePertbars = false;

    // Rows: "Design" (row 0) with two subtasks, then "Build" with two subtasks. A row that gets
    // its first child gets a summary bar over the children's bars.
    const bool rowsMade = source.RowChildInsert(0) && source.RowChildInsert(0) && source.RowAppend() &&
                          source.RowChildInsert(3) && source.RowChildInsert(3);

    // A name column beside the number column; the names are plain cell texts.
    const bool named = source.ColumnAppend(std::make_shared<TQVTTreeSimpleTextCellType>());
    const char* const names[] = {"Design", "Sketch", "Review", "Build", "Frame", "Finish"};
    TQVTTreeGrid* tree = source.GetTree();
    for (int row = 0; named && row < tree->rowsCount() && row < static_cast<int>(std::size(names)); ++row)
        tree->getCell(row, 1)->SetText(names[row]);

    // A holiday on Friday, 5 June: working time skips it.
    TQVTDocumentCalendar* calendar = source.GetCalendar();
    if (TQVTDateCategory* holidays = calendar->getDateCategory(calendar->getCategoryIndexByName("Holidays")))
        holidays->addDate(std::make_shared<TQVTFixedDateException>(June1 + 4, "Company day"));

    const auto sketch = addTask(source, 1, June1, 2);
    const auto review = addTask(source, 2, June1 + 2, 1);
    const auto frame = addTask(source, 4, June1 + 3, 3);
    const auto finish = addTask(source, 5, June1 + 2, 2);
    if (!rowsMade || !named || !sketch || !review || !frame || !finish) {
        std::fprintf(stderr, "building the schedule failed\n");
        return 1;
    }
    // Review follows the sketch, the frame follows the review, and finishing follows the frame;
    // finishing now starts too early, so the last command moves it behind the frame.
    const bool connected =
        source.ConnectionAdd(std::make_shared<TQVTBarConnection>(sketch, review, TQVTBarConnection::FinishToStart)) &&
        source.ConnectionAdd(std::make_shared<TQVTBarConnection>(review, frame, TQVTBarConnection::FinishToStart)) &&
        source.ConnectionAdd(std::make_shared<TQVTBarConnection>(frame, finish, TQVTBarConnection::FinishToStart));
    source.ResolveDistanceViolations(frame.get());
    std::printf("built %d rows in %d undoable steps\n", tree->rowsCount(),
                source.GetUndoRedoStack().GetUndoOperationCount());

    source.SaveToMedia(storage);
    std::printf("saved %s\n", file.string().c_str());

    // Loading it back: a file that does not load would leave the built-in document of one row.
    TQVTDataSource reloaded;
    reloaded.setStorage(storage);
    TQVTTreeGrid* loadedTree = reloaded.GetTree();
    if (!connected || reloaded.getStorage() != storage || loadedTree->rowsCount() != 6) {
        std::fprintf(stderr, "the saved schedule did not load back\n");
        return 1;
    }

    const TQVTCriticalPathCalculator& path = reloaded.GetTable()->getCriticalPathCalculator();
    std::printf("project %s .. %s\n", dateText(path.getProjectStart()).c_str(),
                dateText(path.getProjectEnd()).c_str());
    std::printf("critical path:\n");
    int critical = 0;
    for (TQVTTaskBar* bar : path.criticalBars()) {
        const int row = bar->getRow();
        std::printf("  %-5s %-7s %s .. %s  early start %s, late finish %s\n",
                    loadedTree->findNodeByIndex(row)->FNumberHierchy.c_str(),
                    loadedTree->getCellStringValue(row, 1).c_str(),
                    dateText(bar->getStartDate()).c_str(), dateText(bar->getEndDate()).c_str(),
                    dateText(bar->FESTime).c_str(), dateText(bar->FLFTime).c_str());
        ++critical;
    }
    return critical > 0 ? 0 : 1;
}
