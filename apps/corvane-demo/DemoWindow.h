#pragma once
// The demo's main window: a Gantt chart control bound to a data source, with the commands a
// planner needs to look at a schedule.

#include <QMainWindow>

#include <memory>
#include <string>

class QLabel;

namespace corvane {
class TQVTDataSource;
class TQVTGanttGraph;
} // namespace corvane

class DemoWindow : public QMainWindow {
public:
    /// Opens storage (empty: the built-in document).
    explicit DemoWindow(const std::string& storage);
    ~DemoWindow() override;

    corvane::TQVTGanttGraph* chart() const { return graph; }

private:
    void buildMenus();
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
