#pragma once
// The Gantt chart control: the task table on the left and the time-scaled bars on the right.

#include "corvane/widgets/qvtController.h"

namespace corvane {

/// A QWidget for an application's layouts: bind it to a data source with setDataSource.
class TQVTGanttGraph : public TQVTController {
public:
    explicit TQVTGanttGraph(QWidget* parent = nullptr);
};

} // namespace corvane
