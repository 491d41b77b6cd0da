#pragma once
// The critical path of a schedule: earliest starts, latest finishes and buffers of the task
// bars, and which bars and connections leave no buffer.

#include "corvane/platform/Types.h"

#include <memory>
#include <vector>

namespace corvane {

class TQVTBarConnection;
class TQVTGanttTable;
class TQVTTaskBar;

/// Computes the critical path of the task bars of one table. Every task bar is an activity with
/// a start and an end event; every document connection between two task bars (the first one of
/// each ordered pair of bars) is a precedence from one end of its origin to one end of its
/// target with its minimum distance, in working days, or in calendar days when the
/// connection's workingDays flag is clear. Times are fractional working time of the document's
/// calendar; nothing is rounded to whole days.
///
/// Bars that lie on a precedence cycle have no earliest start or latest finish. They are left
/// out with every connection from or to them (each is named in the diagnostic log), and the
/// rest of the schedule is computed as if they were not there: a bar whose only predecessors
/// lie on a cycle starts the project, one whose only successors do ends it. Their scheduling
/// values become 0 and they are never critical.
///
/// The work is linear in bars and connections (plus the calendar's non-working intervals over
/// the project's span); nothing recurses. The precedence graph is kept between runs, so a run
/// after a change of a few rows' bars reads only those bars and then works on flat arrays, and
/// a whole run that finds a few precedences changed repairs the event order instead of finding
/// it again and redoes only the times those precedences reach.
class TQVTCriticalPathCalculator {
public:
    /// A global buffer within this much of 0 (one minute, in days) counts as none.
    static constexpr double Tolerance = 1.0 / (24 * 60);

    /// table owns the calculator and outlives it.
    explicit TQVTCriticalPathCalculator(TQVTGanttTable* table);
    ~TQVTCriticalPathCalculator();
    TQVTCriticalPathCalculator(const TQVTCriticalPathCalculator&) = delete;
    TQVTCriticalPathCalculator& operator=(const TQVTCriticalPathCalculator&) = delete;

    /// Clears the marks of the previous result, computes ESTime, LFTime, LBTime and GBTime of
    /// every task bar of the table, collects the critical bars and connections, logs every
    /// bar's values (when the log reaches somebody) and marks the result.
    void refreshCriticalPath();
    /// The same result after a change of the bars of these rows alone (their dates, or bars
    /// moved among them; none for a change of the connections). Only those bars are read again
    /// when the precedence graph of the last run still holds; otherwise everything is.
    void refreshCriticalPathOfRows(const std::vector<int>& rows);
    /// Forgets the precedence graph of the last run, so that the next refresh reads every bar
    /// and connection again. For whoever adds, removes or reorders rows, changes the calendar or
    /// a connection's ends, kind or distance.
    void invalidate();
    /// Sets criticalElement := b on the bars and connections of the last result that still live.
    void highLightCriticalPath(bool b);

    /// The critical bars of the last result in iteration order (rows in order, each row's task
    /// bars in list order); only those that still live.
    std::vector<TQVTTaskBar*> criticalBars() const;
    /// The critical connections of the last result, ordered by origin bar, then target bar.
    std::vector<TQVTBarConnection*> criticalConnections() const;
    /// The bars of the last run that lay on a precedence cycle, in iteration order.
    std::vector<TQVTTaskBar*> cycleBars() const;
    /// Earliest effective start and latest effective end of the bars taken into account; 0
    /// when there were none.
    TDateTime getProjectStart() const { return FProjectStart; }
    TDateTime getProjectEnd() const { return FProjectEnd; }

    TQVTGanttTable* table;

private:
    struct Model;

    void clearResult();
    /// Takes the bars of rows into the model; false when the model no longer holds.
    bool takeChangedRows(std::vector<int> rows);
    /// fresh: the model's bars were gathered by this run and all live.
    void compute(Model& model, bool fresh);

    std::unique_ptr<Model> FModel;
    std::vector<std::weak_ptr<TQVTTaskBar>> FCriticalBars;
    std::vector<std::weak_ptr<TQVTBarConnection>> FCriticalConnections;
    std::vector<std::weak_ptr<TQVTTaskBar>> FCycleBars;
    TDateTime FProjectStart = 0;
    TDateTime FProjectEnd = 0;
};

} // namespace corvane
