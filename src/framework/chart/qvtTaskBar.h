#pragma once
// Task bars, progress bars, their settings and their painters.

#include "corvane/framework/chart/qvtGanttBar.h"

#include <memory>
#include <string>

namespace corvane {

class TQVTDocumentCalendar;
class TQVTVisualGoodie;

/// The looks of task bars. The document holds the shared default; a bar may have its own.
class TQVTTaskBarSettings : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Task Bar Settings";
    /// Stored thicknesses and heights are clamped to these.
    static constexpr int MaxBorderThickness = 255;
    static constexpr int MaxHeight = 32767;

    /// Writes the five style keys, then the goodie into its own section.
    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
    /// BorderColor, Color, ProgressColor, BorderThickness and Height (both held in the ranges
    /// a file may give), visualGoodie.
    void GetPublishedProperties(TQVTPublishedProperties& props) override;
    /// Copies every field; the goodie is copied into a goodie of this object's own.
    void Assign(const TQVTTaskBarSettings& other);

    TColor FBorderColor = 0x000000;
    TColor FColor = 0xFF0000;
    TColor FProgressColor = 0x00FFFF;
    int FBorderThickness = 2;
    /// Height of the bar's box in pixels.
    int FHeight = 18;
    /// The body's fill style; none fills the body with FColor.
    std::shared_ptr<TQVTVisualGoodie> FVisualGoodie;
};

class TQVTTaskBarSettingsPersistence : public TQVTPersistenceOf<TQVTTaskBarSettings> {
public:
    /// Missing keys take the class's defaults; sizes are clamped with a log line.
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// One activity of a task: a start, a length in working time, buffer zones inside both ends, a
/// progress and the values the critical path fills in. The end is a cache: FendDate 0 means
/// that it is derived, by the calendar of the bar's row, from the start and the effective
/// duration, so a moved bar keeps its working time.
class TQVTTaskBar : public TQVTGanttBar {
protected:
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;

public:
    static constexpr const char* TypeID = "Task Bar";

    /// Over [0, derived end) in row 0, without settings (the document's apply) or text halo:
    /// what the loader starts from.
    TQVTTaskBar();
    /// Over [start, end) in row (an end not after start gives one day), with settings and a
    /// blue gradient fill style of its own; the effective duration is derived when first asked.
    TQVTTaskBar(TDateTime start, TDateTime end, int row);

    /// Refused (false) when locked or when nothing would change; afterwards the effective
    /// duration follows the new span.
    bool Resize(double change, int row, bool right) override;
    /// A locked bar answers a move to where it is; the same start and row answer none.
    TQVTOperationPtr moveTo(TDateTime date, int row) override;
    bool occupies(TDateTime date, int row) override;
    TDateTime getStartDate() override { return FstartDate; }
    /// Derives the end when the cache is empty and the bar is in a document.
    TDateTime getEndDate() override;
    /// Unless locked: the end as given and the effective duration between start and end. An end
    /// that leaves no working time is forgotten (one unit of working time is derived instead).
    void setEndDate(TDateTime date) override;
    bool inRow(int row) override { return getRow() == row; }
    /// Progress bars, shadow bars and bars tagged 80 never meet a task bar.
    bool overlap(TDateTime start, TDateTime end, int row, TQVTGanttBar* bar) override;
    /// The start, with the end derived; the end argument and the lock are not consulted.
    void setPeriod(TDateTime start, TDateTime end) override;
    bool isSummarizable() const override { return true; }
    bool acceptConnections() const override { return true; }
    /// Working time of the bar; derived from start and end (or one unit of the calendar) while
    /// unknown. A known end stays as it is unless the span holds no working time.
    double getEffectiveDuration() override;
    /// Unless locked: stores d and empties the end cache.
    void setEffectiveDuration(double d) override;
    /// Unless locked: stores the start and empties the end cache.
    void setStartDate(TDateTime date) override;
    BarTimes getTimes() const override;
    void setTimes(const BarTimes& times) override;
    /// Derives the effective duration if unknown, then lets the end follow the row's calendar.
    void adoptRowCalendar() override;
    /// The bar's own after its base's: Locked, Settings, fixed, Progress, criticalElement,
    /// ESTime, LFTime, LBTime, GBTime, effectiveDuration, bufferTimeLeft, bufferTimeRight.
    void GetPublishedProperties(TQVTPublishedProperties& props) override;

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    /// The bar's own settings, else the document's (not copied); a bar in no document gets a
    /// shared object with the class defaults. Never none.
    TQVTTaskBarSettings* GetSettings();
    /// Stores settings (not copied); none returns to the document's.
    void SetSettings(std::shared_ptr<TQVTTaskBarSettings> settings) { FSettings = std::move(settings); }
    /// Clamped to [0, 100].
    void SetProgress(int p);
    int getProgress() const { return FProgress; }
    bool isLocked() const { return FLocked; }
    void setLocked(bool value) { FLocked = value; }
    /// Puts the bar last in its row's list, so that it is painted over the others.
    void BringToFront();

    TDateTime getLBTime() const { return FLBTime; }
    void setLBTime(TDateTime value) { FLBTime = value; }
    /// Latest start: LFTime - duration.
    TDateTime getLSTime() { return FLFTime - (getEndDate() - FstartDate); }
    /// Earliest finish: ESTime + duration.
    TDateTime getEFTime() { return FESTime + (getEndDate() - FstartDate); }
    /// The first working moment at or after the start.
    TDateTime effectiveStart();
    /// The start moved by the effective duration in working time.
    TDateTime effectiveEnd();

    /// The calendar of the bar's document, none outside one.
    TQVTDocumentCalendar* calendar() const;

private:
    /// The start becomes date; the end follows the effective duration.
    void moveStart(TDateTime date);
    /// The end from the start and the effective duration (one unit while that is unknown).
    void deriveEnd();

public:
    // The scheduling values follow the base's dates closely: the summary update reads those up
    // to the working length for every bar, and they share the start date's cache line; the
    // critical path reads and writes the next one too.
    TDateTime FESTime = 0;
    TDateTime FLFTime = 0;
    TDateTime FLBTime = 0;
    TDateTime FGBTime = 0;
    /// Working days; a value <= 0 means not known yet.
    double FEffectiveDuration = -1;
    double FBufferTimeLeft = 0;
    double FBufferTimeRight = 0;
    bool FLocked = false;
    /// The document's distance resolution never moves a fixed bar.
    bool FFixed = false;
    /// Filled in by the critical path calculation.
    bool FCriticalElement = false;
    std::shared_ptr<TQVTTaskBarSettings> FSettings;
};

/// Reads a task bar; dates, durations, buffers and the progress are brought into range.
class TQVTTaskBarPersistence : public TQVTPersistenceOf<TQVTTaskBar, TQVTGanttBarPersistence> {
protected:
    std::shared_ptr<TQVTGanttBar> doLoadBar(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// Asks the memory ahead of use for what the summary update reads of every bar: its dates, its
/// exact class and, for a task bar, the scheduling values up to its working length. A loaded
/// bar holds them in one cache line.
inline void prefetchBarValues(const TQVTGanttBar& bar)
{
    __builtin_prefetch(&bar.FstartDate);
}

/// The same with what the critical path reads and writes besides: a task bar's buffers and its
/// critical mark, on the next line.
inline void prefetchBarSchedule(const TQVTGanttBar& bar)
{
    // From the start date to a task bar's critical mark: 83 bytes, three lines where a bar made
    // outside a load does not start them at one.
    const auto* dates = reinterpret_cast<const char*>(&bar.FstartDate);
    __builtin_prefetch(dates);
    __builtin_prefetch(dates + 64);
    __builtin_prefetch(dates + 82);
}

/// Paints a task bar: frame, body, glyphs, buffers, progress strip, "fixed" label and halo.
class TQVTTaskBarDrawer : public TQVTGanttBarDrawer {
public:
    using TQVTGanttBarDrawer::getRect;
    using TQVTGanttBarDrawer::TQVTGanttBarDrawer;

    /// The row's rectangle narrowed to the settings' height, centred vertically.
    TRect getRect(TDateTime viewStart) override;
    /// x of date on the chart (truncated).
    int getCoords(TDateTime date);
    /// Paints the bar when it meets the document's date range in a visible row; answers
    /// whether it painted (false also when the application painted it).
    bool Draw(TQVTVisualContext& vc) override;

    /// The bar's rectangle less its frame, as last painted.
    TRect inner{};

private:
    TQVTTaskBar* taskBar() const;
    /// Cuts the body into the working stretches of the bar's row; the bar is in the table of the
    /// document.
    void computeSlices(TQVTTaskBar& bar, TQVTVisualGoodie& goodie, TQVTGanttDocument& document,
                       const TQVTGanttTable& table);
    /// Brightens the non-working stretches inside the body.
    void emphasizeNonWorking(TQVTVisualContext& vc, TQVTTaskBar& bar, TQVTVisualGoodie& goodie, TColor color,
                             TQVTGanttDocument& document, const TQVTGanttTable& table);
    void drawFixedLabel(TQVTVisualContext& vc, int x, int y);
};

/// The looks of progress bars.
class TQVTProgressBarSettings : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Progress Bar Settings";
    static constexpr int MaxHeight = 32767;

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
    /// Color, borderColor, Height (held in [0, MaxHeight]).
    void GetPublishedProperties(TQVTPublishedProperties& props) override;
    void Assign(const TQVTProgressBarSettings& other);

    TColor FColor = 0x008000;
    TColor FBorderColor = 0x000000;
    int FHeight = 8;
};

class TQVTProgressBarSettingsPersistence : public TQVTPersistenceOf<TQVTProgressBarSettings> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// A thin plain bar in the strip directly below where the row's task bar box stands.
class TQVTProgressBar : public TQVTGanttBar {
protected:
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;

public:
    static constexpr const char* TypeID = "progress bar";

    /// Over [0, 1) in row 0 without text halo: what the loader starts from.
    TQVTProgressBar();
    TQVTProgressBar(TDateTime start, TDateTime end, int row);

    /// Task bars and bars tagged 84 never meet a progress bar.
    bool overlap(TDateTime start, TDateTime end, int row, TQVTGanttBar* bar) override;
    bool isSummarizable() const override { return true; }
    BarFactory getFakeClass() const override;

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
    /// The base's, then Settings (the bar's own).
    void GetPublishedProperties(TQVTPublishedProperties& props) override;

    /// The bar's own settings, else the document's (not copied); class defaults outside a
    /// document. Never none.
    TQVTProgressBarSettings* GetSettings();

    /// None means the document's default progress bar settings.
    std::shared_ptr<TQVTProgressBarSettings> FSettings;
};

class TQVTProgressBarPersistence : public TQVTPersistenceOf<TQVTProgressBar, TQVTGanttBarPersistence> {
protected:
    std::shared_ptr<TQVTGanttBar> doLoadBar(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

class TQVTProgressBarDrawer : public TQVTGanttBarDrawer {
public:
    using TQVTGanttBarDrawer::getRect;
    using TQVTGanttBarDrawer::TQVTGanttBarDrawer;

    /// The strip, as high as the progress bar settings say, below the task bar box's place.
    TRect getRect(TDateTime viewStart) override;
    bool Draw(TQVTVisualContext& vc) override;
};

/// The placeholder shown while a progress bar is dragged out: accepts connections, is not
/// summarizable, paints nothing and is found nowhere.
class TQVTFakeProgressBar : public TQVTProgressBar {
protected:
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;

public:
    TQVTFakeProgressBar(TDateTime start, TDateTime end, int row);

    bool isSummarizable() const override { return false; }
    bool acceptConnections() const override { return true; }
};

class TQVTFakeProgressBarDrawer : public TQVTProgressBarDrawer {
public:
    using TQVTProgressBarDrawer::getRect;
    using TQVTProgressBarDrawer::TQVTProgressBarDrawer;

    bool Draw(TQVTVisualContext&) override
    {
        clearLastRect();
        return false;
    }
    TQVTGanttObject* locateObject(int, int) override { return nullptr; }
};

} // namespace corvane
