#include "drawing/picture.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <map>
#include <mutex>

#include "drawing/live_picture.h"
#include "drawing/painter_canvas.h"

QImage PictureForDrawing(QImage picture) {
    if (picture.isNull()) {
        return picture;
    }
    return picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                             : QImage::Format_RGB32);
}

QImage LoadBuiltinPicture(int builtinId) {
    // Decoded once per process: every picture element starts with up to three of them, and
    // copies share the pixels until someone writes to them.
    static std::mutex lock;
    static std::map<int, QImage> decoded;
    std::lock_guard<std::mutex> guard(lock);
    auto it = decoded.find(builtinId);
    if (it == decoded.end()) {
        it = decoded
                 .emplace(builtinId,
                          PictureForDrawing(QImage(QString(":/pictures/%1.png").arg(builtinId))))
                 .first;
    }
    return it->second;
}

void BoundPictureReader(QImageReader& reader) {
    reader.setDecideFormatFromContent(true);
    // Also bounds formats that do not tell their size before decoding.
    reader.setAllocationLimit(static_cast<int>(kMaxPicturePixels * 4 / (1024 * 1024)));
}

bool HasTooManyPixels(QSize size) {
    return static_cast<qint64>(size.width()) * size.height() > kMaxPicturePixels;
}

QImage FlattenOver(QImage picture, Colour background) {
    if (background == kNoColour || !picture.hasAlphaChannel()) {
        return picture;
    }
    QImage opaque(picture.size(), QImage::Format_RGB32);
    opaque.fill(toQColor(background));
    QPainter painter(&opaque);
    painter.drawImage(0, 0, picture);
    painter.end();
    return opaque;
}

namespace {

// The picture in the file, or a null image when it cannot be used.
QImage decodePicture(const QString& path) {
    QImageReader reader(path);
    BoundPictureReader(reader);
    QSize size = reader.size();
    if (size.isValid() && HasTooManyPixels(size)) {
        return QImage();
    }
    QImage picture = reader.read();
    if (picture.isNull() || HasTooManyPixels(picture.size())) {
        return QImage();
    }
    return PictureForDrawing(std::move(picture));
}

struct DecodedFile {
    QDateTime modified;
    qint64 size = -1;
    QImage picture;
};

}  // namespace

QImage LoadPicture(const std::string& path, int builtinId) {
    // A camera's address is fetched by the export, never read as a file here.
    if (path.empty() || IsWebAddress(path)) {
        return LoadBuiltinPicture(builtinId);
    }
    // Decoded once per process while the file stays the same: a long image list uses the same
    // few pictures again and again, and copies share the pixels.
    static std::mutex lock;
    static std::map<QString, DecodedFile> decoded;
    QFileInfo file(QString::fromStdString(path));
    QString key = file.absoluteFilePath();
    QDateTime modified = file.lastModified();
    qint64 size = file.size();
    QImage picture;
    {
        std::lock_guard<std::mutex> guard(lock);
        auto it = decoded.find(key);
        if (it != decoded.end() && it->second.modified == modified && it->second.size == size &&
            file.exists()) {
            picture = it->second.picture;
        } else {
            picture = decodePicture(key);
            decoded[key] = DecodedFile{modified, size, picture};
        }
    }
    return picture.isNull() ? LoadBuiltinPicture(builtinId) : picture;
}

PictureFileProblem CheckPictureFile(const std::string& path) {
    // A camera's address is only read when an export fetches it.
    if (path.empty() || IsWebAddress(path)) {
        return PictureFileProblem::None;
    }
    QFileInfo file(QString::fromStdString(path));
    if (!file.isFile()) {
        return PictureFileProblem::Missing;
    }
    return decodePicture(file.absoluteFilePath()).isNull() ? PictureFileProblem::Unreadable
                                                           : PictureFileProblem::None;
}

CPictureSlot::CPictureSlot(int builtinId)
    : m_builtinId(builtinId), m_picture(LoadBuiltinPicture(builtinId)) {}

void CPictureSlot::Load(const std::string& path) {
    m_path = path;
    m_picture = LoadPicture(path, m_builtinId);
    m_preparedWidth = -1;
}

void CPictureSlot::Show(QImage picture) {
    if (!picture.isNull()) {
        m_picture = PictureForDrawing(std::move(picture));
        m_preparedWidth = -1;
    }
}

const QImage& CPictureSlot::Prepared(int width, int height, Colour background,
                                     PictureFit fit) const {
    if (width == m_preparedWidth && height == m_preparedHeight &&
        background == m_preparedBackground && fit == m_preparedFit) {
        return m_prepared;
    }
    PicturePlacement place = PlacePicture(m_picture.size(), QSize(width, height), fit);
    QImage copy = place.source == m_picture.rect() ? m_picture : m_picture.copy(place.source);
    copy = FlattenOver(std::move(copy), background);
    m_prepared = copy.scaled(place.target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_preparedWidth = width;
    m_preparedHeight = height;
    m_preparedBackground = background;
    m_preparedFit = fit;
    return m_prepared;
}
