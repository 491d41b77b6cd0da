#pragma once
// Font, background and alignment of a piece of text.

#include "corvane/framework/objects/qvtGanttObject.h"
#include "corvane/platform/Canvas.h"

#include <memory>
#include <string>

namespace corvane {

/// Alignment codes; any other value lays out like the first of each.
enum TQVTHAlign : int {
    haLeft = 0,
    haRight = 1,
    haCenter = 2
};
enum TQVTVAlign : int {
    vaTop = 0,
    vaBottom = 1,
    vaCenter = 2
};

/// Abstract text settings: what text layout asks about a text.
class IQVTTextSettings : public TQVTGanttObject {
public:
    ~IQVTTextSettings() override = default;

    /// When true the background is never painted.
    virtual bool GetTransparent() = 0;
    virtual TColor GetColor() = 0;
    /// None when there is no font to lay the text out with.
    virtual TFont* GetFont() = 0;
    virtual int GetHAlign() = 0;
    virtual int GetVAlign() = 0;
    virtual bool getGroupRow() = 0;
    virtual void SetColor(TColor color) = 0;
    virtual void SetFont(const TFont& font) = 0;
    virtual void SetHAlign(int align) = 0;
    virtual void SetVAlign(int align) = 0;
    virtual void setGroupRow(bool value) = 0;
    virtual void setSelected(bool value) = 0;
    virtual void setFocused(bool value) = 0;
    virtual bool getSelected() = 0;
    virtual bool getFocused() = 0;
    virtual void SetTransparent(bool value) = 0;
};

/// Text settings that are a document object of their own.
class TQVTTextSettings : public IQVTTextSettings {
public:
    static constexpr const char* TypeID = "Text Settings";

    TQVTTextSettings();

    bool GetTransparent() override { return FTransparent; }
    TColor GetColor() override { return FColor; }
    TFont* GetFont() override { return &FFont; }
    int GetHAlign() override { return FHAlign; }
    int GetVAlign() override { return FVAlign; }
    bool getGroupRow() override { return FGroupRow; }
    void SetColor(TColor color) override { FColor = color; }
    void SetFont(const TFont& font) override { FFont = font; }
    void SetHAlign(int align) override { FHAlign = align; }
    void SetVAlign(int align) override { FVAlign = align; }
    void setGroupRow(bool value) override { FGroupRow = value; }
    void setSelected(bool value) override { FSelected = value; }
    void setFocused(bool value) override { FFocused = value; }
    bool getSelected() override { return FSelected; }
    bool getFocused() override { return FFocused; }
    void SetTransparent(bool value) override { FTransparent = value; }

    /// Copies colour, alignments, flags and font.
    void Assign(const TQVTTextSettings& source);

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

private:
    friend class TQVTTextSettingsPersistence;

    TFont FFont;
    TColor FColor = 0;
    int FHAlign = haLeft;
    int FVAlign = vaTop;
    bool FGroupRow = false;
    bool FFocused = false;
    bool FSelected = false;
    bool FTransparent = false;
};

class TQVTTextSettingsPersistence : public TQVTPersistenceOf<TQVTTextSettings> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// The font keys shared by text settings and tree row settings: "fontColor", "fontName"
/// and "fontSize", in this order.
void saveFontKeys(const std::string& name, IQVTMedia& media, const TFont& font);
/// Reads those keys into font with the defaults black, "Arial", 10 points.
void loadFontKeys(const std::string& name, IQVTMedia& media, TFont& font);

} // namespace corvane
