#pragma once
// The boxes of the PERT chart, their settings and their text sections.

#include "corvane/framework/chart/qvtGanttBar.h"
#include "corvane/framework/objects/qvtOperation.h"

#include <memory>
#include <string>
#include <vector>

namespace corvane {

class TQVTGanttRow;
class TQVTTaskBar;

class TQVTTextArranger;
class TQVTTextSettings;

enum TQVTPertBarType : int {
    qvtpbtTimeSpan = 0,
    qvtpbtNoTimeSpan = 1
};

/// The looks of a PERT box.
class TQVTPertBarSettings : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Pert Bar Settings";
    /// Widths and heights are kept in [1, MaxSize], the border in [0, MaxBorder].
    static constexpr int MaxSize = 4096;
    static constexpr int MaxBorder = 255;

    /// Writes the type, then "border thickness", "height", "width", "border color",
    /// "background color", "background summary color", "progress bar color" and "progress bar
    /// finished color".
    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
    /// BorderColor, backGroundColor, BackgroundSummaryColor, BorderThickness, height, width
    /// (through their setters), ProgressBarFinishedColor, ProgressBarColor.
    void GetPublishedProperties(TQVTPublishedProperties& props) override;
    /// Copies all eight values.
    void Assign(const TQVTPertBarSettings& source);

    void setWidth(int value);
    void setHeight(int value);
    void setBorderThickness(int value);

    TColor FBorderColor = 0;
    TColor FBackGroundColor = 0xFFFFFF;
    TColor FBackgroundSummaryColor = 0x00FFFF;
    int FBorderThickness = 2;
    int FHeight = 100;
    int FWidth = 200;
    TColor FProgressBarFinishedColor = 0x008000;
    TColor FProgressBarColor = 0x0000FF;
};

/// Loads settings; missing keys take the defaults above, sizes out of range are clamped.
class TQVTPertBarSettingsPersistence : public TQVTPersistenceOf<TQVTPertBarSettings> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// A text area of a PERT box.
class TQVTPertBarSection : public TQVTGanttObject {
protected:
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;

public:
    static constexpr const char* TypeID = "Pert Bar Section";

    /// A section with text settings of its own.
    TQVTPertBarSection();
    /// A section without text settings (painted with default ones until it gets some): what the
    /// loader starts from, since most files name shared settings.
    struct WithoutSettings {};
    explicit TQVTPertBarSection(WithoutSettings);
    /// A section laid out with settings (new ones when none) whose parent is parent (when that
    /// is held by a shared_ptr).
    TQVTPertBarSection(std::shared_ptr<TQVTTextSettings> settings, TQVTGanttObject* parent);
    ~TQVTPertBarSection() override;

    /// Writes the type, "text" and its text settings ("settings").
    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
    /// Settings, Text.
    void GetPublishedProperties(TQVTPublishedProperties& props) override;

    /// The arranger over the current settings (default ones when there are none), rebuilt when
    /// they were replaced.
    TQVTTextArranger& getTextArranger();

    std::shared_ptr<TQVTTextSettings> FSettings;
    std::string FText;

private:
    std::unique_ptr<TQVTTextArranger> FTextArranger;
    const TQVTTextSettings* FArrangedSettings = nullptr;
    /// Lays out a section without settings of its own; never saved.
    std::unique_ptr<TQVTTextSettings> FDefaultSettings;
};

class TQVTPertBarSectionPersistence : public TQVTPersistenceOf<TQVTPertBarSection> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// Paints a section into FRect: a solid frame in FFrameColor, then the text word-wrapped to the
/// width inside it, without background.
class TQVTPertBarSectionDrawer : public TQVTDrawer {
public:
    using TQVTDrawer::TQVTDrawer;

    TRect getRect() override { return FRect; }
    bool Draw(TQVTVisualContext& vc) override;

    TRect FRect{0, 0, 0, 0};
    TColor FFrameColor = 0;
};

/// What a PERT box takes from the bars of its row besides its dates, gathered bar by bar, so
/// that whoever reads a row's bars anyway can update its box without reading them again.
class TQVTPertRangeInput {
public:
    /// Takes in one bar of the row.
    void add(TQVTGanttBar& bar);

private:
    friend class TQVTPertBar;
    /// Takes in a task bar with its working length and duration, asked for in that order.
    void addTask(const TQVTTaskBar& task, double working, TDateTime duration);

    bool FHasSummaryBar = false;
    int FTaskBars = 0;
    long long FProgressSum = 0;
    TDateTime FESTime = 0;
    TDateTime FLFTime = 0;
    TDateTime FLSTime = 0;
    TDateTime FEFTime = 0;
    TDateTime FLBTime = 0;
    TDateTime FGBTime = 0;
    double FEffectiveDuration = 0;
};

/// The box that stands for one task row in the PERT chart. Its position is a point of the PERT
/// plane; its dates and scheduling values follow the task bars of its row (UpdateRange).
class TQVTPertBar : public TQVTGanttBar {
public:
    static constexpr const char* TypeID = "Pert Bar";
    /// Stored positions are kept in [-MaxCoordinate, MaxCoordinate].
    static constexpr int MaxCoordinate = 1 << 24;

    /// A bare box at (0, 0): no sections, no settings of its own (what loading starts from).
    TQVTPertBar();
    /// A box at (x, y) with a copy of settings (when given).
    TQVTPertBar(int x, int y, const TQVTPertBarSettings* settings);
    /// As above, with the sections' and settings' parent links set to the box.
    static std::shared_ptr<TQVTPertBar> Create(int x, int y, const TQVTPertBarSettings* settings);

    /// Saved by its row: writes "pert bar" = its identifier into the row's section name, then its
    /// own section: "x", "y", "type", the settings and the sections.
    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
    /// The base's, then Settings, X, Y (held as a file holds them), PertType, TopSection,
    /// MainSection, BottomSection, Detailed, UserDefinedNumber. A box is no bar of its row: an
    /// edit of it asks no bar event.
    void GetPublishedProperties(TQVTPublishedProperties& props) override;

    /// Stores t and gives the box the PERT drawer of that type: 0 the time-span box, 1 the box
    /// without time span, any other value the plain box.
    void SetPertType(int t);
    int getPertType() const { return FPertBarType; }
    /// Gives the box settings of its own (when it has none) and copies s into them.
    void applySettings(const TQVTPertBarSettings& s);
    /// The table of the box's row (a box is not in its row's bar list); none outside a row.
    TQVTGanttTable* getTable() const;
    /// The box's own settings, else the table's default, else the built-in defaults.
    const TQVTPertBarSettings& effectiveSettings() const;

    bool acceptConnections() const override { return true; }
    /// False against progress bars, otherwise the base rule.
    bool overlap(TDateTime start, TDateTime end, int row, TQVTGanttBar* bar) override;
    /// In the PERT sense: date carries a pixel x and row a pixel y of the view. Answers a move
    /// (not yet performed) to the grid point nearest (pertStartX + round(date), pertStartY +
    /// row), not below 0; none when the box is in no row of a table.
    TQVTOperationPtr moveTo(TDateTime date, int row) override;

    /// Whether the table has a PERT connection from this box's row to box's row.
    bool connectionTo(const TQVTPertBar* box) const;
    /// Whether the table has a PERT connection between the two rows, either way.
    bool connectedWith(const TQVTPertBar* box) const;
    void newConnectionTo(TQVTPertBar* box);
    void newConnectionFrom(TQVTPertBar* box);
    /// Each removes one mention of box.
    void removeConnectionTo(const TQVTPertBar* box);
    void removeConnectionFrom(const TQVTPertBar* box);
    /// The boxes the box points to / that point to it, as far as they still live.
    std::vector<TQVTPertBar*> outgoingConnections() const;
    std::vector<TQVTPertBar*> incomingConnections() const;

    /// Derives the box's dates, progress and scheduling values from the bars of its row: start
    /// and (inclusive) end day, the summary and task flags, the extremes and sums of the task
    /// bars' values and their average progress. A row without task bars keeps the scheduling
    /// values and gets progress 0.
    void UpdateRange();
    /// The same from the bars of row, the row that holds the box.
    void UpdateRange(const TQVTGanttRow& row);
    /// The same from what was gathered from the row's bars; start and end are the earliest
    /// start and the latest end of its summarizable bars (0 for none).
    void UpdateRange(TDateTime start, TDateTime end, const TQVTPertRangeInput& input);

    TDateTime FESTime = 0;
    TDateTime FLFTime = 0;
    TDateTime FLBTime = 0;
    TDateTime FGBTime = 0;
    TDateTime FEFTime = 0;
    TDateTime FLSTime = 0;
    double FEffectiveDuration = 0;
    // Beside the values above: the summary update writes all of them for every box.
    bool FIsSummary = false;
    bool FHasTaskBar = false;
    std::shared_ptr<TQVTPertBarSettings> FSettings;
    int Fx = 0;
    int Fy = 0;
    std::vector<std::weak_ptr<TQVTPertBar>> FOutgoingConnections;
    std::vector<std::weak_ptr<TQVTPertBar>> FIncomingConnections;
    int FPertBarType = qvtpbtTimeSpan;
    std::shared_ptr<TQVTPertBarSection> FTopSection;
    std::shared_ptr<TQVTPertBarSection> FMainSection;
    std::shared_ptr<TQVTPertBarSection> FBottomSection;
    std::vector<std::shared_ptr<TQVTPertBarSection>> FAdditionalSections;
    bool FDetailed = true;
    std::string FUserDefinedNumber;

protected:
    /// The PERT drawer for a type.
    virtual std::unique_ptr<TQVTDrawer> makePertDrawer(int type) const;
    /// The drawer of the box's present type, made when first asked for.
    std::unique_ptr<TQVTDrawer> makePertViewDrawer() const override;
};

/// The placeholder box at the mouse while a PERT connection is drawn; a zero-size rectangle.
class TQVTFakePertBar : public TQVTPertBar {
public:
    TQVTFakePertBar(int x, int y);

protected:
    std::unique_ptr<TQVTDrawer> makePertDrawer(int type) const override;
};

class TQVTPertBarPersistence : public TQVTPersistenceOf<TQVTPertBar, TQVTGanttBarPersistence> {
protected:
    /// Reads the position (clamped), the type, the settings and the sections.
    std::shared_ptr<TQVTGanttBar> doLoadBar(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// Moves a PERT box to a point of the PERT plane and to the top of the drawing order.
class TQVTPertBarMoveOperation : public TQVTOperation {
public:
    TQVTPertBarMoveOperation(TQVTDataSourceIntf* dataSource, std::shared_ptr<TQVTPertBar> box, int x, int y);

    /// Refused (false, nothing changed) when the box is not the box of a row of a table.
    bool perform() override;
    /// Puts back the position and the place in the drawing order (also its absence).
    bool undo() override;

    std::shared_ptr<TQVTPertBar> target;
    double originalStartDate;
    double newStartDate;
    int originalRow;
    int newRow;
    int previousZOrder = -1;
};

} // namespace corvane
