#pragma once
// Dependencies between two bars and the colours they are drawn in.

#include "corvane/framework/objects/qvtGanttObject.h"

#include <memory>
#include <string>
#include <vector>

namespace corvane {

class TQVTGanttBar;
class TQVTGanttDocument;

/// A dependency from one end of the origin bar to one end of the target bar.
class TQVTBarConnection : public TQVTGanttObject {
protected:
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;
    std::unique_ptr<TQVTDrawer> makePertViewDrawer() const override;

public:
    static constexpr const char* TypeID = "Bar Connection";
    /// Connection kinds: the first letter names the origin end, the second the target end.
    enum : int {
        FinishToFinish = 0,
        FinishToStart = 1,
        StartToFinish = 2,
        StartToStart = 3
    };

    /// Finish-to-start, without bars.
    TQVTBarConnection();
    TQVTBarConnection(std::shared_ptr<TQVTGanttBar> from, std::shared_ptr<TQVTGanttBar> to, int type);

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
    /// origin, target, originType, targetType, minDistance, distanceFixed, workingDays,
    /// drawOnSingleRow, criticalElement. After an edit the document's critical path is worked
    /// out afresh.
    void GetPublishedProperties(TQVTPublishedProperties& props) override;

    int getConnType() const { return connType; }
    /// The origin end's date: the origin bar's start or end by the kind.
    TDateTime originDate() const;
    /// The target end's date: the target bar's start or end by the kind.
    TDateTime targetDate() const;
    /// Whether both bars end before first or both start after last: the chart then shows
    /// nothing of the connection. False while a bar is missing.
    bool liesOutside(TDateTime first, TDateTime last) const;
    /// The days by which the target end must move to honour the distance; 0 when nothing is
    /// to be done, also when a bar is missing or not summarizable. They are working days of
    /// the document's calendar while FWorkingDays is set, else (or without a calendar)
    /// calendar days.
    double findViolationOffset() const;
    /// Only the two low bits count: bit 1 the origin end is the start, bit 0 the target end is.
    void setConnType(int value) { connType = value & 3; }

    std::shared_ptr<TQVTGanttBar> barFrom;
    std::shared_ptr<TQVTGanttBar> barTo;
    int connType = FinishToStart;
    int FMinDistance = 0;
    bool FDistanceFixed = false;
    bool FWorkingDays = false;
    bool FDrawOnSingleRow = false;
    bool FCriticalElement = false;

private:
    friend class TQVTGanttDocument;

    // Where a document's index of connections by bar keeps this connection: the ends it was
    // filed under (an end may be replaced while the connection is listed) and its neighbours in
    // the lists of those ends. A copy is filed nowhere.
    struct Filing {
        Filing() = default;
        Filing(const Filing&) {}
        Filing& operator=(const Filing&) { return *this; }
        void clear()
        {
            index = nullptr;
            for (int e = 0; e < 2; ++e) {
                ends[e] = nullptr;
                previous[e] = next[e] = nullptr;
            }
        }

        const void* index = nullptr;
        const TQVTGanttBar* ends[2]{};
        TQVTBarConnection* previous[2]{};
        TQVTBarConnection* next[2]{};
    };
    Filing FFiling;
};

/// Routes a connection's line between its two bars in the Gantt chart and finds it there.
class TQVTBarConnectionDrawer : public TQVTDrawer {
public:
    /// Length in pixels of the stubs that leave and enter the bars' ends.
    static constexpr int StubLength = 10;
    /// How far from a drawn line a point still hits the connection.
    static constexpr int HitDistance = 4;

    /// One line drawn last time, normalised so that the minima come first.
    struct Segment {
        int minY;
        int minX;
        int maxY;
        int maxX;
        friend bool operator==(const Segment&, const Segment&) = default;
    };

    using TQVTDrawer::TQVTDrawer;

    /// Draws the orthogonal path from the origin end to the target end with an arrow head at
    /// the target, in the kind's colour (the highlighted colour while highlighted, the table's
    /// critical path colour for a critical connection), dashed while the distance is violated.
    /// Draws nothing when connections are hidden, both ends are one bar, both bars lie outside
    /// the document's dates, neither row is shown, or both bars share a row and the connection
    /// is not drawn on single rows. Answers true.
    bool Draw(TQVTVisualContext& vc) override;
    /// As Draw, for a connection of document's list, with the bars' rectangles from viewStart
    /// (their getRect(viewStart)) worked out by the caller; they are used when viewStart is the
    /// document's start date.
    bool drawBetween(TQVTVisualContext& vc, TQVTGanttDocument& document, TDateTime viewStart, const TRect& fromRect,
                     const TRect& toRect);
    /// The connection when (x, y) lies within HitDistance pixels of a line drawn last time.
    TQVTGanttObject* locateObject(int x, int y) override;
    bool supportsHighlighting() override { return true; }

    /// Whether the origin end's date is earlier than the target end's.
    bool isLeftToRight() const;
    /// Whether the kind's bits are the two flags (origin end is the start, target end is the start).
    bool typeIs(bool originIsStart, bool targetIsStart) const;
    /// Keeps the line (x1, y1)-(x2, y2) for hit testing.
    void addSegment(int x1, int y1, int x2, int y2);

    std::vector<Segment> segments;
    int fromX = 0;
    int toX = 0;

protected:
    TQVTBarConnection* connection() const;
    /// Draws a line and keeps it.
    void line(TQVTVisualContext& vc, int x1, int y1, int x2, int y2);

private:
    /// Draw, with the connection's document and the bars' rectangles from viewStart when known.
    bool route(TQVTVisualContext& vc, TQVTGanttDocument* known, TDateTime viewStart, const TRect* fromRect,
               const TRect* toRect);
};

/// Joins two PERT boxes: a line (an arrow when the connection runs both ways) from the origin's
/// facing side to the middle between the boxes, a line across, and an arrow into the target's
/// facing side, outside its border.
class TQVTBarConnectionPertDrawer : public TQVTBarConnectionDrawer {
public:
    using TQVTBarConnectionDrawer::TQVTBarConnectionDrawer;

    /// Side by side when the boxes share some height, else one above the other. In the kind's
    /// colour (the highlighted colour while highlighted). Draws nothing when an end is no box
    /// with a PERT painter, or both ends are one box. Answers true.
    bool Draw(TQVTVisualContext& vc) override;
};

class TQVTBarConnectionPersistence : public TQVTPersistenceOf<TQVTBarConnection> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// The colours of connections, one per kind.
class TQVTConnectionSettings : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Connection Settings";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    /// showConnections (read only), colorSS, colorSF, colorFS, colorFF, colorHighlighted.
    void GetPublishedProperties(TQVTPublishedProperties& props) override;

    /// colorSS for 3, colorSF for 2, colorFS for 1, colorFF for every other type.
    TColor getColor(int type) const;

    bool FShowConnections = true;
    TColor FColorSS = 0;
    TColor FColorSF = 0;
    TColor FColorFS = 0;
    TColor FColorFF = 0;
    TColor FColorHighlighted = 0x000000FF;
};

class TQVTConnectionSettingsPersistence : public TQVTPersistenceOf<TQVTConnectionSettings> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

} // namespace corvane
