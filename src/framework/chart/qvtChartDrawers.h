#pragma once
// The painters of a chart's containers: the document, the chart table and its rows in both
// views, and the frame that marks a resource label under the mouse.

#include "corvane/framework/objects/qvtGanttObject.h"
#include "corvane/platform/Canvas.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace corvane {

class TQVTBarConnection;
class TQVTDocumentCalendar;
class TQVTGanttDocument;
class TQVTGanttRow;
class TQVTGanttTable;

/// The frame around the resource label (or half of a two-line label) under the mouse. The
/// table owns one; the row drawers set it while hit testing.
class TQVTRessourceLabelSelector : public TQVTGanttObject {
public:
    TQVTRessourceLabelSelector();

    /// Stores the frame (exclusive right and bottom) in the selector's drawer.
    void SetFRect(int left, int top, int right, int bottom);

    /// Whether the last hit test found a label.
    bool FActive = false;

protected:
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;
};

/// Paints the selector's frame two pixels outside the stored rectangle in grey.
class TQVTRessourceLabelSelectorDrawer : public TQVTDrawer {
public:
    using TQVTDrawer::TQVTDrawer;

    bool Draw(TQVTVisualContext& vc) override;
    bool supportsHighlighting() override { return true; }
    void SetFRect(int left, int top, int right, int bottom);

    int FLeft = -1;
    int FTop = -1;
    int FRight = -1;
    int FBottom = -1;
};

/// Paints the whole Gantt chart of one view: the tree grid, the table, the connections and the
/// time scales, in that order from bottom to top. Only the connections that can reach the
/// visible area are painted and hit-tested.
class TQVTDocumentDrawer : public TQVTDrawer {
public:
    using TQVTDrawer::TQVTDrawer;

    bool Draw(TQVTVisualContext& vc) override;
    /// The tree grid's object at the point, else the table's, else the first connection
    /// (in list order) painted at the last paint that lies there; none otherwise.
    TQVTGanttObject* locateObject(int x, int y) override;
    /// How many connections the last paint painted (or offered to the application's hook).
    std::size_t paintedConnectionCount() const { return FPainted.size(); }

private:
    struct ConnectionIndex;

    TQVTGanttDocument* document() const;
    /// The positions in the document's list of the connections whose rows can reach rows
    /// first..last, ascending.
    void connectionsNear(int first, int last, std::vector<int>& out);

    std::shared_ptr<ConnectionIndex> FIndex;
    /// The connections painted (or offered) at the last paint, in list order.
    std::vector<std::weak_ptr<TQVTBarConnection>> FPainted;
    std::vector<int> FCandidates;
};

/// Paints the PERT chart of one view: the table's PERT drawing, then the tree grid.
class TQVTDocumentPertDrawer : public TQVTDrawer {
public:
    using TQVTDrawer::TQVTDrawer;

    bool Draw(TQVTVisualContext& vc) override;
    /// The tree grid's object at the point, else the PERT table's; none otherwise.
    TQVTGanttObject* locateObject(int x, int y) override;

private:
    TQVTGanttDocument* document() const;
};

/// Paints the chart table of the Gantt view: background, calendar shading, row backgrounds,
/// selection, grid, exception names, date lines, blocked days, rows and the label selector.
/// Only the rows that reach into the visible area and the columns inside it are visited.
class TQVTGanttTableDrawer : public TQVTDrawer {
public:
    using TQVTDrawer::TQVTDrawer;

    bool Draw(TQVTVisualContext& vc) override;
    /// The first object found by the drawers of the rows shown at the last paint, top row first.
    TQVTGanttObject* locateObject(int x, int y) override;

    /// The context of the last Draw; none before the first.
    TQVTVisualContext* vc = nullptr;
    /// The chart area of the last Draw.
    TRect tableArea{};
    TQVTDocumentCalendar* Fcalendar = nullptr;
    /// The last row that reached into the visible area at the last Draw.
    int lastVisible = 0;

private:
    struct ShadedDay {
        TDateTime date;
        TRect column;
        TColor color;
    };

    TQVTGanttTable* table() const;
    /// The shown rows up to lastVisible, ascending, from the first that can paint into the area
    /// (a band of a tall export starts far down); FSkippedHeight is the height of those left out.
    void collectShownRows(TQVTGanttTable& table);
    /// The visible category days whose columns (or names) can reach the view.
    void collectShadedDays(TQVTGanttDocument& document, TQVTGanttTable& table, int margin);
    void drawDateLine(TQVTVisualContext& vc, TDateTime date, TPenStyle style, TColor color, int width,
                      const std::string& caption, bool withCaption);

    std::vector<int> FShown;
    std::int64_t FSkippedHeight = 0;
    std::vector<ShadedDay> FShaded;
};

/// Paints the PERT drawing: background, grid anchors, then every box with its connections,
/// the first box of the drawing order last.
class TQVTGanttTablePertDrawer : public TQVTDrawer {
public:
    using TQVTDrawer::TQVTDrawer;

    bool Draw(TQVTVisualContext& vc) override;
    /// The first box of the drawing order at the point, else the first PERT connection there.
    TQVTGanttObject* locateObject(int x, int y) override;

private:
    TQVTGanttTable* table() const;
};

/// Paints one row of the Gantt chart: its resource labels, its row labels, its shadow bars and
/// then its other bars.
class TQVTGanttRowDrawer : public TQVTDrawer {
public:
    using TQVTDrawer::TQVTDrawer;

    bool Draw(TQVTVisualContext& vc) override;
    /// The first bar at the point; else, while the table highlights resource labels, the
    /// selector framing the label (or the half of a two-line label) at the point.
    TQVTGanttObject* locateObject(int x, int y) override;

    /// Paints the row's blocked days in the row's background colour over the calendar shading.
    void DrawBack(TQVTVisualContext& vc);
    /// Paints the row's resource labels and records where each went.
    void DrawRessources(TQVTVisualContext& vc);
    /// Paints the one-column label at the chart's left edge.
    void DrawRowLabels(TQVTVisualContext& vc);

private:
    TQVTGanttRow* row() const;
};

/// Paints the row's PERT box unless the row is a group.
class TQVTGanttRowPertDrawer : public TQVTDrawer {
public:
    using TQVTDrawer::TQVTDrawer;

    bool Draw(TQVTVisualContext& vc) override;
    /// The row's PERT box when it lies at the point.
    TQVTGanttObject* locateObject(int x, int y) override;

private:
    TQVTGanttRow* row() const;
};

} // namespace corvane
