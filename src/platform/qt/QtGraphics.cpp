#include "corvane/platform/qt/QtGraphics.h"

#include "corvane/platform/qt/QtCanvas.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>

namespace corvane {

namespace {

// Messages go into message boxes and one-line log entries.
std::string OneLine(std::string text)
{
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return text;
}

EFileError LoadError(const std::string& fileName, const std::string& reason)
{
    return EFileError(OneLine("Cannot load picture '" + fileName + "': " + reason));
}

EFileError SaveError(const std::string& fileName, const std::string& reason)
{
    return EFileError(OneLine("Cannot save picture '" + fileName + "': " + reason));
}

// Qt's own allocation check (256 MB by default) would refuse pictures below
// our pixel limit; set it, once for the process, to the limit at 4 bytes a pixel.
void MatchReaderAllocationLimit()
{
    static std::once_flag once;
    std::call_once(once, [] {
        constexpr long long megabyte = 1024 * 1024;
        QImageReader::setAllocationLimit(static_cast<int>((MaxPicturePixels * 4 + megabyte - 1) / megabyte));
    });
}

// Qt's reader accepts an uncompressed BMP whose pixel rows are cut short and
// leaves the missing rows undefined; we refuse such a file instead.
// Run-length encoded pixels have no fixed size and are left to the reader.
// Called after the pixel limit check, so the sizes below cannot overflow.
bool BmpPixelsComplete(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(34);
    if (header.size() < 34)
        return false;
    const auto u16 = [&header](int at) -> qint64 { return qFromLittleEndian<quint16>(header.constData() + at); };
    const auto u32 = [&header](int at) -> qint64 { return qFromLittleEndian<quint32>(header.constData() + at); };
    const auto i32 = [&header](int at) -> qint64 { return qFromLittleEndian<qint32>(header.constData() + at); };
    constexpr qint64 coreHeaderSize = 12, uncompressed = 0, bitFields = 3;
    const bool core = u32(14) == coreHeaderSize;
    const qint64 width = core ? u16(18) : i32(18);
    const qint64 height = core ? u16(20) : std::abs(i32(22));
    const qint64 bitsPerPixel = core ? u16(24) : u16(28);
    const qint64 compression = core ? uncompressed : u32(30);
    if (compression != uncompressed && compression != bitFields)
        return true;
    const qint64 rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
    return u32(10) + rowBytes * height <= file.size();
}

// Reads only the given format: a file of another format is refused, as the
// graphic class was chosen for it. `complete`, when given, checks that the
// file holds all the pixels its header announces.
QImage ReadPicture(const std::string& fileName, const QByteArray& format, bool (*complete)(const QString&) = nullptr)
{
    MatchReaderAllocationLimit();
    const QString name = QString::fromStdString(fileName);
    if (!QFileInfo(name).isFile())
        throw LoadError(fileName, "file not found");
    const std::string kind = format.toUpper().toStdString();
    QImageReader reader(name, format);
    reader.setAutoDetectImageFormat(false);
    // Qt reports a top-down BMP with a negative height.
    const QSize size = reader.size();
    const long long width = size.width();
    const long long height = std::abs(static_cast<long long>(size.height()));
    if (!reader.canRead() || width <= 0 || height == 0)
        throw LoadError(fileName, "not a readable " + kind + " picture");
    if (width * height > MaxPicturePixels)
        throw LoadError(fileName, "its " + std::to_string(width) + " x " + std::to_string(height) +
                                      " pixels exceed the limit of " + std::to_string(MaxPicturePixels));
    if (complete && !complete(name))
        throw LoadError(fileName, "truncated " + kind + " picture");
    QImage image;
    if (!reader.read(&image))
        throw LoadError(fileName, "damaged " + kind + " picture (" + reader.errorString().toStdString() + ")");
    return image.convertToFormat(GraphicPixelFormat);
}

// Writes to a temporary file first, so a failed save leaves any previous
// picture of that name intact.
void WritePicture(const QImage& image, const std::string& fileName, const QByteArray& format, int quality)
{
    if (image.isNull())
        throw SaveError(fileName, "the picture is empty");
    QSaveFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::WriteOnly))
        throw SaveError(fileName, file.errorString().toStdString());
    QImageWriter writer(&file, format);
    writer.setQuality(quality);
    if (!writer.write(image))
        throw SaveError(fileName, writer.errorString().toStdString());
    if (!file.commit())
        throw SaveError(fileName, file.errorString().toStdString());
}

std::string LowerAscii(std::string text)
{
    for (char& c : text)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

} // namespace

// TGraphic

TGraphic::TImageData::TImageData() = default;

TGraphic::TImageData::TImageData(const TImageData& other) : Image(other.Image) {}

TGraphic::TImageData::~TImageData() = default;

void TGraphic::TImageData::SetImage(QImage image)
{
    if (Canvas)
        Canvas->Suspend();
    Image = std::move(image);
}

TGraphic::TGraphic() : FImage(std::make_unique<TImageData>()) {}

TGraphic::TGraphic(const TGraphic& other)
    : FImage(std::make_unique<TImageData>(*other.FImage)),
      FTransparent(other.FTransparent)
{
}

TGraphic::~TGraphic() = default;

int TGraphic::Width() const
{
    return FImage->Image.width();
}

int TGraphic::Height() const
{
    return FImage->Image.height();
}

void TGraphic::SetSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == Width() && height == Height())
        return;
    if (static_cast<long long>(width) * height > MaxPicturePixels)
        throw Exception("A picture of " + std::to_string(width) + " x " + std::to_string(height) +
                        " pixels exceeds the limit of " + std::to_string(MaxPicturePixels));
    if (width == 0 || height == 0) {
        FImage->SetImage(QImage());
        return;
    }
    QImage resized(width, height, GraphicPixelFormat);
    if (resized.isNull())
        throw Exception("Not enough memory for a picture of " + std::to_string(width) + " x " + std::to_string(height) +
                        " pixels");
    resized.fill(Qt::white);
    const QImage& old = FImage->Image;
    const int keptHeight = std::min(height, old.height());
    const auto keptBytes = static_cast<std::size_t>(std::min(width, old.width())) * 4;
    for (int y = 0; y < keptHeight; ++y)
        std::memcpy(resized.scanLine(y), old.constScanLine(y), keptBytes);
    FImage->SetImage(std::move(resized));
}

bool TGraphic::Empty() const
{
    return FImage->Image.isNull();
}

void TGraphic::Assign(const TGraphic& source)
{
    FImage->SetImage(source.FImage->Image);
    FTransparent = source.FTransparent;
}

// TBitmap

void TBitmap::LoadFromFile(const std::string& fileName)
{
    TGraphicAccess::ImageData(*this).SetImage(ReadPicture(fileName, "bmp", BmpPixelsComplete));
}

void TBitmap::SaveToFile(const std::string& fileName) const
{
    WritePicture(TGraphicAccess::ImageData(*this).Image, fileName, "bmp", -1);
}

std::string TBitmap::MimeType() const
{
    return "image/bmp";
}

std::unique_ptr<TGraphic> TBitmap::Clone() const
{
    return std::make_unique<TBitmap>(*this);
}

TColor TBitmap::Pixel(int x, int y) const
{
    const QImage& image = TGraphicAccess::ImageData(*this).Image;
    return image.valid(x, y) ? FromQRgb(image.pixel(x, y)) : 0;
}

void TBitmap::SetPixel(int x, int y, TColor color)
{
    QImage& image = TGraphicAccess::ImageData(*this).Image;
    if (image.valid(x, y))
        image.setPixel(x, y, ToQRgb(color));
}

TCanvas& TBitmap::Canvas()
{
    auto& data = TGraphicAccess::ImageData(*this);
    if (!data.Canvas)
        data.Canvas = std::make_unique<QtBitmapCanvas>(data.Image);
    return *data.Canvas;
}

// TJPEGImage

void TJPEGImage::LoadFromFile(const std::string& fileName)
{
    TGraphicAccess::ImageData(*this).SetImage(ReadPicture(fileName, "jpeg"));
}

void TJPEGImage::SaveToFile(const std::string& fileName) const
{
    WritePicture(TGraphicAccess::ImageData(*this).Image, fileName, "jpeg", std::clamp(CompressionQuality, 1, 100));
}

void TJPEGImage::Assign(const TGraphic& source)
{
    TGraphic::Assign(source);
    if (const auto* jpeg = dynamic_cast<const TJPEGImage*>(&source))
        CompressionQuality = jpeg->CompressionQuality;
}

std::string TJPEGImage::MimeType() const
{
    return "image/jpg";
}

std::unique_ptr<TGraphic> TJPEGImage::Clone() const
{
    return std::make_unique<TJPEGImage>(*this);
}

// TPngImage

void TPngImage::LoadFromFile(const std::string& fileName)
{
    TGraphicAccess::ImageData(*this).SetImage(ReadPicture(fileName, "png"));
}

void TPngImage::SaveToFile(const std::string& fileName) const
{
    WritePicture(TGraphicAccess::ImageData(*this).Image, fileName, "png", -1);
}

std::string TPngImage::MimeType() const
{
    return "image/png";
}

std::unique_ptr<TGraphic> TPngImage::Clone() const
{
    return std::make_unique<TPngImage>(*this);
}

// Creation by file name

std::unique_ptr<TGraphic> CreateGraphicForFile(const std::string& fileName)
{
    const std::string extension = LowerAscii(std::filesystem::path(fileName).extension().string());
    if (extension == ".bmp")
        return std::make_unique<TBitmap>();
    if (extension == ".jpg" || extension == ".jpeg")
        return std::make_unique<TJPEGImage>();
    if (extension == ".png")
        return std::make_unique<TPngImage>();
    return nullptr;
}

// TPicture

void TPicture::LoadFromFile(const std::string& fileName)
{
    std::unique_ptr<TGraphic> graphic = CreateGraphicForFile(fileName);
    if (!graphic)
        throw LoadError(fileName, "unknown picture file extension");
    graphic->LoadFromFile(fileName);
    FGraphic = std::move(graphic);
}

int TPicture::Width() const
{
    return FGraphic ? FGraphic->Width() : 0;
}

int TPicture::Height() const
{
    return FGraphic ? FGraphic->Height() : 0;
}

} // namespace corvane
