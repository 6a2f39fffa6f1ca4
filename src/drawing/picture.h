// Pictures of image elements: decoded once from a file or a built-in picture, and the copy
// resampled to the element's rectangle.
#pragma once

#include <QImage>
#include <QImageReader>
#include <string>

#include "drawing/geometry.h"
#include "drawing/picture_fit.h"

// A file that would decode to more pixels than this is refused, so it cannot exhaust memory.
constexpr qint64 kMaxPicturePixels = 64'000'000;

// The picture in a form QPainter draws fastest: premultiplied ARGB, or RGB32 when opaque.
QImage PictureForDrawing(QImage picture);

// A reader that takes the format from the content and refuses to allocate for more than
// kMaxPicturePixels.
void BoundPictureReader(QImageReader& reader);

// Whether a picture of that size has more pixels than kMaxPicturePixels.
bool HasTooManyPixels(QSize size);

// The picture on an opaque background of that colour; unchanged without alpha or colour.
QImage FlattenOver(QImage picture, Colour background);

// The built-in picture of that id (":/pictures/<id>.png"), decoded on first use.
QImage LoadBuiltinPicture(int builtinId);

// The picture in the file, its format taken from the content; the built-in picture when the
// path is empty, a web address, or the file is missing, not a picture, or too large.
QImage LoadPicture(const std::string& path, int builtinId);

enum class PictureFileProblem { None, Missing, Unreadable };

// Why the picture file at path would give the built-in picture instead; None for an empty path
// (which means the built-in picture) and for a file that decodes.
PictureFileProblem CheckPictureFile(const std::string& path);

class CPictureSlot {
  public:
    explicit CPictureSlot(int builtinId);

    const std::string& Path() const { return m_path; }
    const QImage& Picture() const { return m_picture; }

    // Stores the path and decodes its picture (or the built-in one).
    void Load(const std::string& path);
    // Shows a newer picture of the same path (a camera's snapshot); a null one is ignored.
    void Show(QImage picture);

    // The picture as drawn into width × height pixels: made opaque over background unless that
    // is kNoColour, then smoothly resampled to where fit puts it (PlacePicture). Kept while
    // size, background and fit stay the same.
    const QImage& Prepared(int width, int height, Colour background,
                           PictureFit fit = PictureFit::Stretch) const;

  private:
    int m_builtinId;
    std::string m_path;
    QImage m_picture;

    mutable QImage m_prepared;
    mutable int m_preparedWidth = -1;
    mutable int m_preparedHeight = -1;
    mutable Colour m_preparedBackground = kNoColour;
    mutable PictureFit m_preparedFit = PictureFit::Stretch;
};
