#pragma once
// Pictures: bitmaps and JPEG images held in memory, loaded from and saved to
// files, and the picture holder that picks the class for a file name.

#include "corvane/platform/Types.h"

#include <memory>
#include <string>

namespace corvane {

class TCanvas;

/// Pictures whose header claims more pixels than this are refused on load,
/// so that a small hostile file cannot make us allocate gigabytes.
constexpr long long MaxPicturePixels = 100'000'000;

class TGraphic {
public:
    virtual ~TGraphic();
    TGraphic& operator=(const TGraphic&) = delete;

    virtual int Width() const;
    virtual int Height() const;
    /// Keeps the pixels of the overlapping part; new pixels are white.
    /// Throws Exception for sizes beyond MaxPicturePixels.
    virtual void SetSize(int width, int height);
    virtual bool Empty() const;

    /// Throws EFileError with a one-line message when the file is missing, is
    /// not a picture of this class's format, or claims more than
    /// MaxPicturePixels. On failure the graphic keeps its previous content.
    virtual void LoadFromFile(const std::string& fileName) = 0;
    /// Replaces the file only once the whole picture is written; throws
    /// EFileError when the graphic is empty or the file cannot be written.
    virtual void SaveToFile(const std::string& fileName) const = 0;

    /// Copies pixels and transparency from any graphic class.
    virtual void Assign(const TGraphic& source);

    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool transparent) { FTransparent = transparent; }

    /// "image/bmp" or "image/jpg": the media type a document file records.
    virtual std::string MimeType() const = 0;
    virtual std::unique_ptr<TGraphic> Clone() const = 0;

protected:
    TGraphic();
    TGraphic(const TGraphic& other);

private:
    /// The platform image behind every graphic. Only the platform
    /// implementation, which draws graphics and paints into bitmaps, defines
    /// it and reaches it (through TGraphicAccess).
    struct TImageData;
    friend struct TGraphicAccess;

    std::unique_ptr<TImageData> FImage;
    bool FTransparent = false;
};

/// 24-bit colour pixels; saved in BMP format.
class TBitmap : public TGraphic {
public:
    TBitmap() = default;
    TBitmap(const TBitmap&) = default;

    void LoadFromFile(const std::string& fileName) override;
    void SaveToFile(const std::string& fileName) const override;
    std::string MimeType() const override;
    std::unique_ptr<TGraphic> Clone() const override;

    /// Outside the bitmap Pixel answers 0 and SetPixel does nothing.
    /// SetPixel resolves system colours (ColorToRGB).
    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);

    /// Paints into the bitmap; lives as long as the bitmap and follows its
    /// size changes. A copy of the bitmap gets a canvas of its own.
    TCanvas& Canvas();
};

/// Saved in JPEG format with CompressionQuality (1 to 100).
class TJPEGImage : public TGraphic {
public:
    TJPEGImage() = default;
    TJPEGImage(const TJPEGImage&) = default;

    void LoadFromFile(const std::string& fileName) override;
    void SaveToFile(const std::string& fileName) const override;
    /// Also takes the compression quality from another JPEG image.
    void Assign(const TGraphic& source) override;
    std::string MimeType() const override;
    std::unique_ptr<TGraphic> Clone() const override;

    int CompressionQuality = 90;
};

/// Saved in PNG format: lossless, for reference pictures and exports.
class TPngImage : public TGraphic {
public:
    TPngImage() = default;
    TPngImage(const TPngImage&) = default;

    void LoadFromFile(const std::string& fileName) override;
    void SaveToFile(const std::string& fileName) const override;
    std::string MimeType() const override;
    std::unique_ptr<TGraphic> Clone() const override;
};

/// A new empty graphic of the class for the file's extension (".bmp" bitmap,
/// ".jpg" or ".jpeg" JPEG image, ".png" PNG image, any letter case); nullptr for any other.
std::unique_ptr<TGraphic> CreateGraphicForFile(const std::string& fileName);

/// Holds at most one graphic of any class.
class TPicture {
public:
    TGraphic* Graphic() const { return FGraphic.get(); }
    void SetGraphic(std::unique_ptr<TGraphic> graphic) { FGraphic = std::move(graphic); }

    /// Loads into a new graphic of the class for the extension and replaces
    /// the current one only on success. Throws EFileError for an extension
    /// without a graphic class and for every failure of the graphic's load.
    void LoadFromFile(const std::string& fileName);

    /// 0 when there is no graphic.
    int Width() const;
    int Height() const;

private:
    std::unique_ptr<TGraphic> FGraphic;
};

} // namespace corvane
