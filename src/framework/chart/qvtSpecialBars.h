#pragma once
// Summary, image, milestone and text bars, the settings of image bars, their painters, the
// operations that move and dissolve a task group, and the in-place editing of text bars.

#include "corvane/framework/chart/qvtGanttBar.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/rendering/qvtTextArranger.h"
#include "corvane/platform/Canvas.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace corvane {

class IQVTTextSettings;
class TGraphic;
class TQVTPictureResource;
class TQVTTextBar;

/// The bar of a task group: it spans the summarizable bars of every row below its own in the
/// task tree. It is recomputed by the table, moved as a whole or dissolved, never resized.
class TQVTSummaryBar : public TQVTGanttBar {
protected:
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;

public:
    static constexpr const char* TypeID = "Summary Bar";

    /// Over [0, 1) in row 0, black.
    TQVTSummaryBar();

    /// Changes nothing: the span follows the rows below.
    bool Resize(double, int, bool) override { return true; }
    bool followsRowsBelow() const override { return true; }
    /// None when OnBeforeBarMove cancels or the bar is in no table; otherwise a
    /// TQVTSummaryBarMoveOperation to date, not yet performed. The row is not used.
    TQVTOperationPtr moveTo(TDateTime date, int row) override;
    bool inRow(int row) override { return FRow == row; }
    /// The bar blocks its whole row, unless the data source lets bars onto summary rows and a bar
    /// is being placed: then an undated summary bar meets nothing and a dated one follows the
    /// base rule.
    bool overlap(TDateTime start, TDateTime end, int row, TQVTGanttBar* bar) override;
    bool isSummarizable() const override { return true; }
    /// As the table's SummaryBarConnectable says.
    bool acceptConnections() const override;
    bool canMoveVertically() const override { return false; }
    bool canResizeVertically() const override { return false; }

    /// Recomputes the span and the end row from the task tree and the rows below; a group
    /// without dated bars gets 0 to 0. The table's UpdateSummaryBars does the same for all
    /// summary bars at once.
    void UpdateRange();
    /// The first row of the group: the row after the bar's own.
    int GetStartRow() { return getRow() + 1; }
    int getEndRow() const { return FEndRow; }
    /// Every bar of the rows StartRow..EndRow, row by row.
    std::vector<TQVTGanttBar*> getChildList();

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
    /// The base's, then Color, EndRow (read only), rdOnly.
    void GetPublishedProperties(TQVTPublishedProperties& props) override;

    TColor FColor = clBlack;
    /// The last row of the group; the bar's own row while it has none.
    int FEndRow = 0;
    bool FReadOnly = false;
};

class TQVTSummaryBarPersistence : public TQVTPersistenceOf<TQVTSummaryBar, TQVTGanttBarPersistence> {
protected:
    std::shared_ptr<TQVTGanttBar> doLoadBar(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// Paints the bracket over the bar's own row; its rectangle reaches over the whole group.
class TQVTSummaryBarDrawer : public TQVTGanttBarDrawer {
public:
    using TQVTGanttBarDrawer::getRect;
    using TQVTGanttBarDrawer::TQVTGanttBarDrawer;

    /// The bracket strip in Color with a downward point at both ends, then the text halo; false
    /// (nothing painted) when the bar lies outside the document's dates or its row is hidden.
    bool Draw(TQVTVisualContext& vc) override;
    /// From the bar's own row down to the end of the group's last row.
    TRect getRect(TDateTime viewStart) override;
    /// While highlighted, also covers rect with a white diagonal cross hatch.
    void highlight(TQVTVisualContext& vc, TRect rect) override;
};

/// Moves every summarizable bar of a group by the same number of calendar units; the summary
/// bar follows. Disabled (perform answers false, nothing changes) when the move is less than
/// one unit.
class TQVTSummaryBarMoveOperation : public TableMultipleOperations {
public:
    TQVTSummaryBarMoveOperation(TQVTDataSourceIntf* dataSource, const std::shared_ptr<TQVTSummaryBar>& bar,
                                TDateTime newStartDate);

    /// Moves the bars, then tells OnAfterBarMove with the summary bar.
    bool perform() override;
    bool undo() override;

    std::shared_ptr<TQVTSummaryBar> Target;
    /// Calendar units of the move.
    int Units = 0;
};

/// Dissolves a task group: empties every row below the group's row (from the last up), then
/// gives those rows to the group's parent in the task tree, right after the group's row, so
/// that no row keeps children; the summary bars of the rows that lose their children go.
/// Row indexes do not change. Refused when the bar is in no table or its row has no node.
class TQVTSummaryBarDeleteOperation : public TableMultipleOperations {
public:
    TQVTSummaryBarDeleteOperation(TQVTDataSourceIntf* dataSource, const std::shared_ptr<TQVTSummaryBar>& bar);

    std::shared_ptr<TQVTSummaryBar> Target;
};

/// Colours, frame and height of image bars.
class TQVTImageBarSettings : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Image Bar Settings";
    /// Stored frame thicknesses and heights are clamped to [0, MaxSize].
    static constexpr int MaxSize = 1000;

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
    /// borderColor, color, borderThickness and height (held in [0, MaxSize]), imagefile.
    void GetPublishedProperties(TQVTPublishedProperties& props) override;

    TColor borderColor = 0;
    TColor color = 0;
    int borderThickness = 0;
    double height = 0;
    /// Not stored.
    std::string imagefile;
};

class TQVTImageBarSettingsPersistence : public TQVTPersistenceOf<TQVTImageBarSettings> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// A picture over a time span; stretched to the span or at its natural size.
class TQVTImageBar : public TQVTGanttBar {
protected:
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;

public:
    static constexpr const char* TypeID = "Image Bar";

    /// What the loader starts from: no picture, no settings, no text halo.
    TQVTImageBar();
    /// Stretching, with settings of its own and the picture "blank image".
    TQVTImageBar(TDateTime start, TDateTime end, int row);

    /// Refused (false) unless AutoStretch; moves the edge by change units of the calendar's
    /// time mode unless that would leave the bar empty or reversed (no minimum length).
    bool Resize(double change, int rowChange, bool right) override;
    bool inRow(int) override { return false; }
    bool canResizeVertically() const override { return true; }

    /// The bar's own settings, else the document's, else none.
    TQVTImageBarSettings* getSettings() const;
    /// The picture, or none.
    TGraphic* getGraphic() const;
    /// With v true the end is set so that the picture fits the span at its natural width.
    void SetAutoStretch(bool v);

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
    /// The base's, then PictureResource, settings (the bar's own), AutoStretch,
    /// VerticalRowOffset.
    void GetPublishedProperties(TQVTPublishedProperties& props) override;

    std::shared_ptr<TQVTPictureResource> FPictureResource;
    /// None means the document's image bar settings.
    std::shared_ptr<TQVTImageBarSettings> FSettings;
    bool FAutoStretch = true;
    /// Pixels the picture is moved down in its row; not stored.
    int FVerticalRowOffset = 0;

protected:
    /// Image and milestone bars store the same keys under their own identifiers.
    void saveImageBar(const std::string& name, const char* typeID, IQVTMedia& media, TQVTEntityFactory& factory);
};

/// Reads the image bar's keys, dates clamped to the calendar's years and an end that is not
/// after the start replaced by start + 1 day.
class TQVTImageBarPersistence : public TQVTPersistenceOf<TQVTImageBar, TQVTGanttBarPersistence> {
protected:
    std::shared_ptr<TQVTGanttBar> doLoadBar(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) final;
    virtual std::shared_ptr<TQVTImageBar> createBar(TQVTEntityFactory& factory) const;
};

/// Frames the picture and draws it stretched into the frame or at its natural size.
class TQVTImageBarDrawer : public TQVTGanttBarDrawer {
public:
    using TQVTGanttBarDrawer::getRect;
    using TQVTGanttBarDrawer::TQVTGanttBarDrawer;

    /// False (nothing painted) when the row is hidden or the bar starts after the document's
    /// end, or when OnCustomDrawBar paints instead.
    bool Draw(TQVTVisualContext& vc) override;
    /// Stretched: the span's width and the picture's proportions; else the picture's size.
    /// Both framed, and moved down by VerticalRowOffset.
    TRect getRect(TDateTime viewStart) override;

protected:
    TQVTImageBar* imageBar() const;
};

/// An image bar that marks its start date with its picture.
class TQVTMilestoneBar : public TQVTImageBar {
protected:
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;

public:
    static constexpr const char* TypeID = "Milestone Bar";

    TQVTMilestoneBar();
    TQVTMilestoneBar(TDateTime start, TDateTime end, int row);

    bool isSummarizable() const override { return true; }
    bool acceptConnections() const override { return true; }

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
};

class TQVTMilestoneBarPersistence : public TQVTPersistenceOf<TQVTMilestoneBar, TQVTImageBarPersistence> {
protected:
    std::shared_ptr<TQVTImageBar> createBar(TQVTEntityFactory& factory) const override;
};

/// The picture at its natural size at the start date, centred in the row.
class TQVTMilestoneBarDrawer : public TQVTImageBarDrawer {
public:
    using TQVTImageBarDrawer::getRect;
    using TQVTImageBarDrawer::TQVTImageBarDrawer;

    bool Draw(TQVTVisualContext& vc) override;
    TRect getRect(TDateTime viewStart) override;
};

/// The multi-line edit control a text bar is edited in. This one only keeps what it is told;
/// the widgets library puts a real control behind it through TQVTTextBar::MemoFactory.
class TQVTTextBarMemo {
public:
    virtual ~TQVTTextBarMemo() = default;

    /// The control that the bar is edited in; a real memo puts its control into it.
    virtual void setController(TQVTControllerIntf*) {}
    virtual void setText(const std::string& text) { FText = text; }
    virtual std::string getText() const { return FText; }
    virtual void setFont(const TFont& font) { FFont = font; }
    virtual void setColor(TColor color) { FColor = color; }
    virtual void setBounds(TRect bounds) { FBounds = bounds; }
    virtual void setVisible(bool visible) { FVisible = visible; }
    virtual bool isVisible() const { return FVisible; }
    virtual void setFocus() {}
    /// Puts the caret after the last character.
    virtual void caretToEnd() {}

    /// Set by the editor while it edits: a key typed into the control (the editor may clear
    /// it), and the control losing the focus.
    std::function<void(int& key)> OnKeyPress;
    std::function<void()> OnExit;

    std::string FText;
    TFont FFont;
    TColor FColor = 0;
    TRect FBounds{};
    bool FVisible = false;
};

/// A wrapped text in a box, edited in place.
class TQVTTextBar : public TQVTGanttBar {
protected:
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;

public:
    static constexpr const char* TypeID = "Text Bar";
    /// Box heights are kept in [MinHeight, MaxHeight] pixels.
    static constexpr int MinHeight = 10;
    static constexpr int MaxHeight = 32767;

    /// What the loader starts from: no settings, no text halo.
    TQVTTextBar();
    TQVTTextBar(TDateTime start, TDateTime end, int row);
    ~TQVTTextBar() override;

    /// Moves the edge by change units of the calendar's time mode unless that would leave the
    /// bar empty or reversed, then grows the box by rowChange pixels (never below MinHeight).
    bool Resize(double change, int rowChange, bool right) override;
    bool canResizeVertically() const override { return true; }
    BarTimes getTimes() const override;
    void setTimes(const BarTimes& times) override;
    std::unique_ptr<TQVTObjectEditorIntf> DefaultEditor() override;

    /// The bar's own text settings, else the document's text bar settings, else none.
    IQVTTextSettings* getSettings() const;
    int getHeight() const { return FHeight; }
    /// Clamped to [MinHeight, MaxHeight].
    void setHeight(int h);
    /// The in-place control, made (hidden) on first use.
    TQVTTextBarMemo& getMemo();

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
    /// The base's, then Text, settings (the bar's own), height (through setHeight),
    /// VerticalRowOffset.
    void GetPublishedProperties(TQVTPublishedProperties& props) override;

    /// Makes the in-place controls of all text bars; a plain TQVTTextBarMemo when empty.
    static std::function<std::unique_ptr<TQVTTextBarMemo>()> MemoFactory;

    /// Lays the text out for the painter; its settings are set before each paint.
    TQVTTextArranger FTextArranger{nullptr};
    std::string FText;
    std::unique_ptr<TQVTTextBarMemo> FMemo;
    /// None means the document's text bar settings.
    std::shared_ptr<IQVTTextSettings> FSettings;
    int FHeight = 50;
    /// Pixels the box is moved down in its row; not stored.
    int FVerticalRowOffset = 0;
};

/// Reads the text bar's keys; dates as for image bars, the height clamped.
class TQVTTextBarPersistence : public TQVTPersistenceOf<TQVTTextBar, TQVTGanttBarPersistence> {
protected:
    std::shared_ptr<TQVTGanttBar> doLoadBar(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// Paints the text wrapped into the box, on the settings' background, inside a frame.
class TQVTTextBarDrawer : public TQVTGanttBarDrawer {
public:
    using TQVTGanttBarDrawer::getRect;
    using TQVTGanttBarDrawer::TQVTGanttBarDrawer;

    /// False (nothing painted) outside the document's dates, in a hidden row, or when
    /// OnCustomDrawBar paints instead. While the bar is edited, the control follows the box.
    bool Draw(TQVTVisualContext& vc) override;
    /// The span from the row's top, FHeight high, moved down by VerticalRowOffset.
    TRect getRect(TDateTime viewStart) override;
};

/// The change of a text bar's text by an in-place edit: holds the text before the edit and,
/// once activated, the text after it.
class TQVTTextBarEditOperation : public TQVTOperation {
public:
    TQVTTextBarEditOperation(TQVTDataSourceIntf* dataSource, std::shared_ptr<TQVTTextBar> bar);

    /// Takes the bar's text as the edit's result and puts the original back, so that the
    /// history's perform makes the change.
    void Activate();
    /// Sets the edited text; false when the operation was never activated.
    bool perform() override;
    /// Puts the original text back; false when the operation was never activated.
    bool undo() override;

    std::shared_ptr<TQVTTextBar> TextBar;
    std::string OriginalText;
    std::string ChangedText;

private:
    bool FActivated = false;
};

/// Edits a text bar in place through its memo control; not modal.
class TQVTTextBarEditor : public TQVTObjectEditorIntf {
public:
    ~TQVTTextBarEditor() override;

    /// Starts editing a text bar: loads the control with its text, font and background, puts it
    /// over the bar, shows and focuses it. Answers none: the edit's operation comes from
    /// FinishEditing. Anything but a text bar is not edited.
    std::shared_ptr<TQVTOperation> edit(TQVTGanttObject* obj) override;
    /// Hides the control, stores its text as the bar's and answers the activated operation
    /// (not yet performed); none when nothing is being edited.
    std::shared_ptr<TQVTOperation> FinishEditing() override;
    bool IsModal() override { return false; }
    TQVTControllerIntf* GetController() override { return FController; }
    void SetController(TQVTControllerIntf* controller) override { FController = controller; }

    /// Enter (13) and Escape (27) end the edit: the key is swallowed and the edit ended.
    void ControlKeyPress(int& key);
    /// The control lost the focus while shown: the edit is ended.
    void ControlExit();

    /// The controller's hook that ends the edit (it then calls FinishEditing); when it is not
    /// set, the controller is told stopEditing.
    std::function<void()> OnStopEditing;
    std::shared_ptr<TQVTTextBarEditOperation> FEditObjectOperation;
    std::shared_ptr<TQVTTextBar> TextBar;

private:
    void unhook();
    void stopEdit();

    TQVTControllerIntf* FController = nullptr;
};

} // namespace corvane
