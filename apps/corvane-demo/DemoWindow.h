#pragma once
// The demo's main window: a Gantt chart control bound to a data source, with the commands a
// planner needs to look at a schedule.

#include <QMainWindow>

#include <memory>
#include <string>
#include <utility>

class QLabel;
class QMenu;
class QPoint;
class QToolBar;

namespace corvane {
class TQVTDataSource;
class TQVTGanttGraph;
class TQVTGanttObject;
} // namespace corvane

class DemoWindow : public QMainWindow {
public:
    /// Opens storage (empty: the built-in document).
    explicit DemoWindow(const std::string& storage);
    ~DemoWindow() override;

    corvane::TQVTGanttGraph* chart() const { return graph; }

private:
    void buildMenus();
    void buildPlanCommands(QMenu* menu, QToolBar* tools);
    /// The focused row of the task table, or -1.
    int focusedRow() const;
    /// The first and last selected rows, or the focused row twice; (-1, -1) for none.
    std::pair<int, int> chosenRows() const;
    void addChild();
    void deleteRows();
    void groupRows();
    void connectRows();
    void showContextMenu(const QPoint& at);
    void editProperties(corvane::TQVTGanttObject* object);
    /// Says in the status bar that a command changed nothing (refused, or nothing chosen).
    void report(bool done, const QString& what);
    void openFile();
    void saveFile();
    void exportChart();
    void setLanguage(const std::string& language);
    void showDate(double date, bool overChart);
    void updateTitle();

    std::unique_ptr<corvane::TQVTDataSource> dataSource;
    corvane::TQVTGanttGraph* graph;
    QLabel* dateLabel;
};
