// Pictures of image elements: decoded once from a file or a built-in picture, and the copy
// resampled to the element's rectangle.
#pragma once

#include <QImage>
#include <string>

#include "drawing/geometry.h"

// A file that would decode to more pixels than this is refused, so it cannot exhaust memory.
constexpr qint64 kMaxPicturePixels = 64'000'000;

// The built-in picture of that id (":/pictures/<id>.png"), decoded on first use.
QImage LoadBuiltinPicture(int builtinId);

// The picture in the file, its format taken from the content; the built-in picture when the
// path is empty or the file is missing, not a picture, or too large.
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

    // The picture as drawn into width × height pixels: made opaque over background unless that
    // is kNoColour, then smoothly resampled. Kept while size and background stay the same.
    const QImage& Prepared(int width, int height, Colour background) const;

  private:
    int m_builtinId;
    std::string m_path;
    QImage m_picture;

    mutable QImage m_prepared;
    mutable int m_preparedWidth = -1;
    mutable int m_preparedHeight = -1;
    mutable Colour m_preparedBackground = kNoColour;
};
