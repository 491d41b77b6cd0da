#pragma once
// The schedule document: the root object of a stored graph.

#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/objects/qvtDocumentSetup.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace corvane {

class TQVTBarConnection;
class TQVTGanttBar;
class TQVTGanttRow;
class TQVTConnectionSettings;
class TQVTDocumentCalendar;
class TQVTImageBarSettings;
class TQVTLegend;
class TQVTProgressBarSettings;
class TQVTTaskBarSettings;
class TQVTTextHaloSettings;
class TQVTTextSettings;
class TQVTTimeScale;
class TQVTTreeGrid;

class TQVTDataSourceIntf;
class TQVTMultipleOperations;

/// Paints a connection instead of the default painting when DefaultPaint is cleared.
using TQVTDrawConnectionEvent = std::function<void(TQVTBarConnection* Connection, bool& DefaultPaint)>;

/// The root of a schedule: the chart table, the task tree, the calendar, the time scales, the
/// connections between bars, the legend and the settings that bars and texts fall back on.
class TQVTGanttDocument : public TQVTDocumentSetup {
public:
    static constexpr const char* TypeID = "Document";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    bool getTimeScaleUnder() override { return FTimeScaleUnder; }
    int scaleStartY(TQVTGanttObject* scale) override;
    int scaleStartUnderY(TQVTGanttObject* scale) override;
    int GetTableStartY() override;
    TDateTime getStartDate() override { return FStartDate; }
    /// Snaps the date to the first moment of the calendar's time unit (week, month, quarter,
    /// year, decade) and stores it; without a calendar the date is stored as given.
    void setStartDate(TDateTime value) override;
    TDateTime getEndDate() override { return FEndDate; }
    void setEndDate(TDateTime value) override { FEndDate = value; }
    int getDocStartX() override { return FDocStartX; }
    void setDocStartX(int value) override { FDocStartX = value; }
    TQVTGanttObject* getImageBarSettings() override;
    TQVTGanttObject* getTextBarSettings() override;
    TQVTGanttObject* getHintTextSettings() override;
    void setHintTextSettings(TQVTGanttObject* value) override;
    TQVTLegend* GetLegend() override { return FLegend.get(); }
    TQVTGanttTable* GetTable() override { return Ftable.get(); }
    TQVTTreeGrid* GetTree() override { return FTree.get(); }
    TQVTDocumentCalendar* getCalendar() override { return Fcalendar.get(); }
    TQVTTaskBarSettings* GetTaskBarSettings() override { return FTaskBarSettings.get(); }
    TQVTTextHaloSettings* GetTextHaloSettings() override { return FTextHaloSettings.get(); }
    TQVTProgressBarSettings* GetProgressBarSettings() override { return FProgressBarSettings.get(); }
    TQVTConnectionSettings* GetConnectionSettings() override { return FConnectionSettings.get(); }
    void UpdateTimeScales() override;
    int getTreeStartX() override { return FTreeStartX; }
    void setTreeStartX(int x) override;
    int getColStartX(int) override { return getTreeWidth(); }
    int getTreeCellWidth(int col) override;
    int getVerticalResizePaneSize() override;
    int getTreeWidth() override;
    TQVTDataSourceIntf* getDataSource() override { return FDataSource; }

    /// Where a legend printed under the chart begins: below the rows, and below the time scales
    /// repeated under them.
    int legendStartY();
    /// The chart's height: legendStartY, plus the legend's height when it is printed under it.
    int GetHeight();

    int countRows() const;
    int countConnections() const { return static_cast<int>(connections.size()); }
    /// None outside [0, countConnections()).
    TQVTBarConnection* getConnection(int index) const;
    /// -1 when the connection is not the document's.
    int getConnectionIndex(const TQVTBarConnection* connection) const;
    /// Makes the document the connection's parent and inserts it at index (appends when index
    /// is outside the list). A connection already in the list is left where it is; answers
    /// whether the list changed.
    bool addConnection(const std::shared_ptr<TQVTBarConnection>& connection, int index = -1);
    /// Takes the connection out of the list and clears its parent; answers the index it had,
    /// or -1 when it was not in the list.
    int removeConnection(const TQVTBarConnection* connection);
    /// connType -1: the first connection joining the two bars in either direction; otherwise the
    /// first from fromBar to toBar of that type, where 4 accepts every type.
    TQVTBarConnection* findConnection(const TQVTGanttBar* fromBar, const TQVTGanttBar* toBar, int connType) const;
    /// The connections that start or end at bar, in the order they joined the list. Kept up to
    /// date by addConnection and removeConnection; built when first asked for.
    std::vector<TQVTBarConnection*> connectionsAt(const TQVTGanttBar* bar) const;
    /// Moves the bars connected to bar, each at most once, so that no connection reached from
    /// bar is violated after bar changed; answers the moves, already performed, as one group for
    /// the history (empty when nothing moved). Violations elsewhere in the plan are not bar's
    /// change and stay. A bar moves only into a range of its row that is free of other bars.
    std::shared_ptr<TQVTMultipleOperations> resolveDistanceViolations(TQVTGanttBar* bar);
    /// The first connection between summarizable bars from a bar of fromRow to a bar of toRow.
    TQVTBarConnection* findRowsConnection(const TQVTGanttRow* fromRow, const TQVTGanttRow* toRow) const;

    int getScalesCount() const { return static_cast<int>(FScales.size()); }
    /// None outside the list.
    TQVTTimeScale* getTimeScale(int index) const;
    /// Inserts at index (clamped to the list) and updates the time scales.
    void InsertScale(int index, const std::shared_ptr<TQVTTimeScale>& scale);
    /// Removes the scale at index from the list; nothing outside the list.
    void DeleteScale(int index);

    TQVTDocumentSetup* DocumentSetup = nullptr;
    TDateTime FStartDate = 0;
    TDateTime FEndDate = 0;
    TDateTime FDateRangeStart = 0;
    TDateTime FDateRangeEnd = 0;
    bool FTimeScaleUnder = false;
    /// The data source that owns the document; set by the data source.
    TQVTDataSourceIntf* FDataSource = nullptr;
    std::shared_ptr<TQVTGanttTable> Ftable;
    std::shared_ptr<TQVTDocumentCalendar> Fcalendar;
    std::vector<std::shared_ptr<TQVTTimeScale>> FScales;
    std::shared_ptr<TQVTTextHaloSettings> FTextHaloSettings;
    std::shared_ptr<TQVTTaskBarSettings> FTaskBarSettings;
    std::shared_ptr<TQVTProgressBarSettings> FProgressBarSettings;
    std::vector<std::shared_ptr<TQVTBarConnection>> connections;
    std::shared_ptr<TQVTTreeGrid> FTree;
    int FTreeStartX = 0;
    std::shared_ptr<TQVTConnectionSettings> FConnectionSettings;
    TQVTDrawConnectionEvent FOnDrawConnection;
    int FDocStartX = 20;
    std::shared_ptr<TQVTImageBarSettings> FImageBarSettings;
    std::shared_ptr<TQVTTextSettings> FTextBarSettings;
    std::shared_ptr<TQVTTextSettings> FHintTextSettings;
    std::shared_ptr<TQVTLegend> FLegend;
    bool FDrawConnections = true;
    bool FDrawFixedLabels = true;
    bool FPrintLegend = false;
    bool FPrintLegendUnder = true;

protected:
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;
    std::unique_ptr<TQVTDrawer> makePertViewDrawer() const override;

private:
    int drawnHeight(const TQVTTimeScale* scale) const;

    // The connections by the bars they join, each bar's in the order they were filed. Every
    // connection carries its links (TQVTBarConnection::Filing), so neither filing nor removal
    // allocates; the table from a bar to its list's ends is open addressing, never shrinking.
    struct ConnectionsByBar {
        struct Slot {
            const TQVTGanttBar* bar = nullptr;
            TQVTBarConnection* first = nullptr;
            TQVTBarConnection* last = nullptr;
        };
        bool built = false;
        std::size_t used = 0;
        std::vector<Slot> entries;

        /// Room for this many bars without growing.
        void reserve(std::size_t bars);
        /// Where bar's slot is, or the free slot where it would go.
        std::size_t position(const TQVTGanttBar* bar) const;
        /// The slot of bar (not none), added when missing.
        Slot& slotOf(const TQVTGanttBar* bar);
        /// The slot of bar, or none.
        const Slot* find(const TQVTGanttBar* bar) const;
        void file(TQVTBarConnection* connection);
        void unfile(TQVTBarConnection* connection);
    };
    mutable ConnectionsByBar byBar;
};

class TQVTDocumentPersistence : public TQVTPersistenceOf<TQVTGanttDocument> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

} // namespace corvane
