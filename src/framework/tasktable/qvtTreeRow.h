#pragma once
// Rows of the task table and the settings shared by rows and columns.

#include "corvane/framework/objects/qvtGanttObject.h"
#include "corvane/framework/rendering/qvtTextSettings.h"

#include <memory>
#include <string>
#include <vector>

namespace corvane {

class TQVTTreeCell;

/// Colours and font of tree rows.
class TQVTTreeRowSettings : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Tree Row Settings";

    TQVTTreeRowSettings(); // Arial 10 points, black

    /// Copies colours, font and the height flag.
    void Assign(const TQVTTreeRowSettings& source);

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    TColor FColor = 0xEFDAC5;      // background
    TColor FGroupColor = 0xFFBAB5; // background of rows that have children
    TFont FFont;
    bool FAutoHeight = false; // the row height follows its cells
};

class TQVTTreeRowSettingsPersistence : public TQVTPersistenceOf<TQVTTreeRowSettings> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// Alignment and width of a tree column.
class TQVTTreeColSettings : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Tree Column Settings";

    /// Copies alignments and width.
    void Assign(const TQVTTreeColSettings& source);

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    int FHAlign = haLeft; // alignment codes of the text settings
    int FVAlign = vaCenter;
    int FWidth = 200; // pixels
};

class TQVTTreeColSettingsPersistence : public TQVTPersistenceOf<TQVTTreeColSettings> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// One row of the task table: one cell per header column.
class TQVTTreeRow : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Tree Row";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    /// Marks the row and its chart row selected.
    void select(bool b);
    /// Marks the row and its chart row focused; focusing deselects the row. Nothing for a row
    /// without an index inside the grid.
    void focus(bool b);

    std::vector<std::shared_ptr<TQVTTreeCell>> FCells;
    std::shared_ptr<TQVTTreeRowSettings> Fsettings;
    /// The row's index in the task tree (see TQVTTreeNode), -1 before numbering.
    int FIndex = -1;
    int FOrder = 0;
    int FNestingOffset = 5;
    bool FSelected = false;
    bool FFocused = false;
    /// Hidden by the row filter.
    bool FHidden = false;
};

class TQVTTreeRowPersistence : public TQVTPersistenceOf<TQVTTreeRow> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

} // namespace corvane
