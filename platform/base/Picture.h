#pragma once
// Pictures are shared references: an empty reference (nullptr) is not the same as a picture object
// whose handle is 0 (an empty picture).
#include <QByteArray>
#include <QImage>
#include <QString>
#include <memory>

namespace rt {

class PictureObject;
using Picture = std::shared_ptr<PictureObject>;

class PictureObject {
  public:
    enum Kind { kNone = 0, kBitmap = 1, kMetafile = 2, kIcon = 3, kEnhancedMetafile = 4 };

    // A new empty picture: kind 0, handle 0, size 0.
    static Picture empty();
    // Decodes an image file (BMP, GIF, JPEG, PNG, ICO); anything else fails with error 481.
    static Picture fromFileBytes(const QByteArray& bytes);
    // A skin picture embedded in the binary, by its file name in skin/pictures ("player.png").
    static Picture fromSkin(const QString& fileName);
    // The picture whose handle this is, or nullptr (handles are process-unique while the picture lives).
    static PictureObject* fromHandle(int handle);

    ~PictureObject();
    PictureObject(const PictureObject&) = delete;
    PictureObject& operator=(const PictureObject&) = delete;

    int Type() const { return kind_; }
    int handle() const { return handle_; }
    int Width() const;  // HiMetric
    int Height() const; // HiMetric
    int pixelWidth() const { return image_.width(); }
    int pixelHeight() const { return image_.height(); }
    const QImage& image() const { return image_; }
    // The image file the picture was made from (what a property bag stores).
    const QByteArray& fileBytes() const { return fileBytes_; }

  private:
    PictureObject() = default;
    int kind_ = kNone;
    int handle_ = 0;
    QImage image_;
    QByteArray fileBytes_;
};

// HiMetric <-> pixels at 96 dots per inch, and twips.
int pixelsToHiMetric(int pixels);
int hiMetricToTwips(int hiMetric);

} // namespace rt
