#pragma once
// Dependencies between two bars and the colours they are drawn in.

#include "corvane/framework/objects/qvtGanttObject.h"

#include <memory>
#include <string>

namespace corvane {

class TQVTGanttBar;

/// A dependency from one end of the origin bar to one end of the target bar.
class TQVTBarConnection : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Bar Connection";
    /// Connection kinds: the first letter names the origin end, the second the target end.
    enum : int {
        FinishToFinish = 0,
        FinishToStart = 1,
        StartToFinish = 2,
        StartToStart = 3
    };

    TQVTBarConnection() = default;
    TQVTBarConnection(std::shared_ptr<TQVTGanttBar> from, std::shared_ptr<TQVTGanttBar> to, int type);

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    int getConnType() const { return connType; }
    /// The origin end's date: the origin bar's start or end by the kind.
    TDateTime originDate() const;
    /// The target end's date: the target bar's start or end by the kind.
    TDateTime targetDate() const;
    /// The working days by which the target end must move to honour the distance; 0 when
    /// nothing is to be done, also when a bar is missing or not summarizable. Working days
    /// follow the document's calendar; without one, calendar days count.
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
