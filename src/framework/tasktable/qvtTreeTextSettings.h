#pragma once
// The text settings of a tree cell, drawn from its row, its column and its grid.

#include "corvane/framework/rendering/qvtTextSettings.h"

namespace corvane {

class TQVTTreeColSettings;
class TQVTTreeGrid;
class TQVTTreeRowSettings;

/// The text settings of one tree cell: answered from its row's settings, its column's
/// settings and the selection colours of the tree grid the row settings belong to.
class TQVTTreeTextSettings : public IQVTTextSettings {
public:
    TQVTTreeTextSettings(TQVTTreeRowSettings* rowSettings, TQVTTreeColSettings* colSettings);

    bool GetTransparent() override { return false; }
    TColor GetColor() override;
    TFont* GetFont() override;
    int GetHAlign() override;
    int GetVAlign() override;
    bool getGroupRow() override { return groupRow; }
    void SetColor(TColor color) override;
    void SetFont(const TFont& font) override;
    void SetHAlign(int align) override;
    void SetVAlign(int align) override;
    void setGroupRow(bool value) override { groupRow = value; }
    void setSelected(bool value) override { selected = value; }
    void setFocused(bool value) override { focused = value; }
    bool getSelected() override { return selected; }
    bool getFocused() override { return focused; }
    void SetTransparent(bool) override {}

    TQVTTreeRowSettings* RowSettings;
    TQVTTreeColSettings* ColSettings;

private:
    /// The grid among the row settings' owners; none outside a grid.
    TQVTTreeGrid* grid() const;

    bool groupRow = false;
    bool focused = false;
    bool selected = false;
    TFont resultFont;
};

} // namespace corvane
