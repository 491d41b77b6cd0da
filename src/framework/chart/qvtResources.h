#pragma once
// Fill styles of task bars and the named pictures stored beside a document.

#include "corvane/framework/objects/qvtGanttObject.h"
#include "corvane/platform/Canvas.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace corvane {

class TGraphic;
class TQVTPictureResource;

/// How the body of a task bar is filled; stored as a byte.
enum TQVTDrawStyles : std::uint8_t {
    dsDrawSolid,
    dsDrawGradient,
    dsDrawPattern,
    dsDrawBar3D,
    dsDrawHatch
};

/// A horizontal piece [start, end) of a bar, in pixels.
struct TQVTTimeSlice {
    int start = 0;
    int end = 0;
    friend bool operator==(const TQVTTimeSlice&, const TQVTTimeSlice&) = default;
};

/// The fill style of task bars: how the body is filled, the pattern of the buffer zones and the
/// glyphs at both ends. The rectangle and the slices are set by the painter before each paint.
class TQVTVisualGoodie : public TQVTGanttObject {
protected:
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;

public:
    static constexpr const char* TypeID = "Visual Goodie";

    /// Every field zero, no slices, no glyphs.
    TQVTVisualGoodie();

    /// Writes the style keys, then the glyph references, each glyph into its own section.
    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    /// Copies the draw style, the gradient colours and direction and the solid fill colour only.
    void Assign(const TQVTVisualGoodie& other);

    void AddSlice(int start, int end) { FTimeSlices.push_back({start, end}); }
    /// Keeps the storage, so that slicing a bar on every paint allocates nothing.
    void ClearTimeSlices() { FTimeSlices.clear(); }
    int SlicesCount() const { return static_cast<int>(FTimeSlices.size()); }
    /// Pair i; an empty pair outside the list.
    TQVTTimeSlice GetSliced(int i) const;

    /// The area to fill; not stored.
    TRect FRect{};
    TQVTDrawStyles FDrawStyle = dsDrawSolid;
    /// Empty: the whole rectangle is filled. Not stored.
    std::vector<TQVTTimeSlice> FTimeSlices;
    TColor FSolidFillColor = 0;
    TColor FGradientFillStartColor = 0;
    TColor FGradientFillEndColor = 0;
    bool FGradientFillHorizontal = false;
    TBrushStyle FPatternFillStyle = bsSolid;
    TColor FPatternColor = 0;
    std::shared_ptr<TQVTPictureResource> FStartGlyph;
    std::shared_ptr<TQVTPictureResource> FEndGlyph;
    TColor FStartGlyphTransparentColor = 0;
    TColor FEndGlyphTransparentColor = 0;
};

/// Reads the style keys with their defaults (solid blue, blue to purple horizontal gradient,
/// diagonal-cross pattern); draw and brush styles outside their ranges are replaced with a log line.
class TQVTVisualGoodiePersistence : public TQVTPersistenceOf<TQVTVisualGoodie> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// Paints a goodie into its rectangle (or its slices).
class TQVTVisualGoodieDrawer : public TQVTDrawer {
public:
    using TQVTDrawer::TQVTDrawer;

    TRect getRect() override;
    /// Fills the body, then paints the glyphs.
    bool Draw(TQVTVisualContext& vc) override;
    /// Fills the rectangle, or each slice box, by the draw style.
    void fillGoodie(TQVTVisualContext& vc);
    /// Stretches the start glyph into the square at the left end and the end glyph into the
    /// square at the right end; the squares are as high as the rectangle.
    void drawGlyphs(TQVTVisualContext& vc);
    /// Pattern-fills the parts of r left and right of the goodie's rectangle.
    void drawBuffers(TRect r, TQVTVisualContext& vc);
    /// Joins consecutive slices along the rectangle's bottom; the width is not used.
    void drawSliceConnector(TQVTVisualContext& vc, TColor color, int width, TPenStyle style);
    /// Lightens r by color, unless the body is a pattern.
    void brighten(TQVTVisualContext& vc, TRect r, TColor color);

private:
    TQVTVisualGoodie* goodie() const;
};

/// A named thing the document keeps, such as a picture.
class TQVTResource : public TQVTGanttObject {
public:
    explicit TQVTResource(std::string name) : FName(std::move(name)) {}

    const std::string& getName() const { return FName; }
    /// Whether the resource's content came from its file.
    bool isLoaded() const { return FLoaded; }

protected:
    bool FLoaded = false;

private:
    std::string FName;
};

/// Base of the loaders of resources.
class TQVTResourcePersistence : public TQVTPersistence {};

/// A named picture, stored in a side file in the document's folder. It always has a graphic:
/// until a real one is loaded or set, a 100 x 100 placeholder bitmap crossed by its diagonals.
class TQVTPictureResource : public TQVTResource {
public:
    static constexpr const char* TypeID = "Picture Resource";
    /// Loaded pictures wider or higher than this keep the placeholder.
    static constexpr int MaxSide = 16384;

    explicit TQVTPictureResource(std::string name = {});
    ~TQVTPictureResource() override;

    /// The picture; never none.
    TGraphic& getGraphic() const { return *FPicture; }
    /// Replaces the picture (none puts the placeholder back); the MIME type follows the class.
    void setGraphic(std::unique_ptr<TGraphic> graphic);
    /// Whether the picture is still the placeholder.
    bool isPlaceholder() const { return FPlaceholder; }

    /// The side file's name, a plain name without folder.
    const std::string& getFileName() const { return FFileName; }
    /// Stores only the base name: folders and ".." are dropped.
    void setFileName(const std::string& fileName);
    const std::string& getMimeType() const { return FMimeType; }
    void setMimeType(const std::string& mimeType) { FMimeType = mimeType; }

    /// Loads the picture from the file fileName (a base name) in folder. A file that is missing,
    /// unreadable or of absurd size keeps the current picture, writes a log line and answers false.
    bool loadPicture(const std::string& folder);

    /// Writes "typeID", then for bitmaps and JPEG images the side file through the media and
    /// "mimetype" and "filename". A picture whose file could not be read is not written over
    /// that file: only its keys are kept.
    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    /// name reduced to a file name of the document's folder: what follows the last separator,
    /// with "." and ".." (and an empty result) replaced by "_".
    static std::string baseFileName(const std::string& name);

private:
    std::unique_ptr<TGraphic> FPicture;
    std::string FFileName;
    std::string FMimeType;
    bool FPlaceholder = true;
    /// The picture of the file could not be read; the file is left alone on save.
    bool FLoadFailed = false;
};

/// Reads "filename" and "mimetype" and loads the picture from the document's folder.
class TQVTPictureResourcePersistence : public TQVTPersistenceOf<TQVTPictureResource, TQVTResourcePersistence> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;

    /// A new empty graphic of the class for "image/bmp", "image/jpg" or "image/jpeg"; none for
    /// any other type.
    static std::unique_ptr<TGraphic> MimeTypeGraphic(const std::string& mimeType);
};

} // namespace corvane
