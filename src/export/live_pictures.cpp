#include "export/live_pictures.h"

#include <QBuffer>
#include <QColor>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <stdexcept>

#include "base/clock.h"
#include "base/lang_string.h"
#include "base/string_ids.h"
#include "drawing/painter_canvas.h"
#include "drawing/picture.h"
#include "net/camera_fetch.h"
#include "weather/readings_age.h"

namespace {

[[noreturn]] void fail(unsigned textId, const LivePictureSource& source,
                       const std::string& detail = "") {
    throw std::runtime_error(LangString(textId, {ShownPictureSource(source.source), detail}));
}

void checkAge(const LivePictureSource& source, std::int64_t modified) {
    if (source.maxAge <= 0 || modified < 0) {
        return;
    }
    // A time stamp ahead of the clock is a clock's fault, not a frozen camera.
    std::int64_t age = Clock::NowSeconds() - modified;
    if (age > source.maxAge) {
        fail(kTextLivePictureStale, source, AgeText(age));
    }
}

LivePictureBytes readFile(const LivePictureSource& source) {
    QString path = QString::fromStdString(source.source);
    QFileInfo info(path);
    if (!info.exists()) {
        fail(kTextLivePictureUnreadable, source, LangString(kTextNoSuchFile));
    }
    if (info.size() > kMaxCameraBytes) {
        fail(kTextLivePictureUnreadable, source,
             LangString(kTextCameraPictureTooLarge, {std::to_string(kMaxCameraBytes >> 20)}));
    }
    // The time before the content: a file rewritten in between is then judged older, not newer.
    checkAge(source, info.lastModified().toSecsSinceEpoch());
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(kTextLivePictureUnreadable, source, file.errorString().toStdString());
    }
    QByteArray data = file.read(kMaxCameraBytes + 1);
    if (data.size() > kMaxCameraBytes) {
        fail(kTextLivePictureUnreadable, source,
             LangString(kTextCameraPictureTooLarge, {std::to_string(kMaxCameraBytes >> 20)}));
    }
    return {data.toStdString(), ""};
}

// A reader over the bytes that trusts their content, not a name, bounded in memory.
void setUpReader(QImageReader& reader) {
    BoundPictureReader(reader);
    // Smooth resampling and exact colour conversion in the JPEG decoder.
    reader.setQuality(100);
}

}  // namespace

LivePictureBytes ReadLivePicture(const LivePictureSource& source, const StopCheck& stop,
                                 int seconds) {
    if (source.source.empty()) {
        fail(kTextLivePictureUnreadable, source, LangString(kTextNoSuchFile));
    }
    if (!IsWebAddress(source.source)) {
        return readFile(source);
    }
    try {
        CameraReply reply = FetchCameraPicture(source.source, source.caFile, seconds, stop);
        checkAge(source, reply.modified);
        return {std::move(reply.body), std::move(reply.contentType)};
    } catch (const CCameraFetchError& error) {
        switch (error.GetKind()) {
            case CCameraFetchError::Kind::TimedOut:
                fail(kTextLivePictureTimedOut, source, std::to_string(seconds));
            case CCameraFetchError::Kind::Refused:
                fail(kTextLivePictureRefused, source, error.what());
            default:
                fail(kTextLivePictureUnreadable, source, error.what());
        }
    }
}

LiveSnapshot DecodeLivePicture(const LivePictureBytes& bytes, const LivePictureSource& source) {
    QByteArray data = QByteArray::fromRawData(bytes.data.data(), qsizetype(bytes.data.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    setUpReader(reader);
    QSize size = reader.size();
    auto notAPicture = [&] {
        std::string what = !bytes.contentType.empty()
                               ? LangString(kTextCameraSent, {bytes.contentType})
                               : LangString(kTextNoPictureFormat);
        fail(kTextLivePictureNotAPicture, source, what);
    };
    if (!size.isValid()) {
        notAPicture();
    }
    if (HasTooManyPixels(size)) {
        fail(kTextLivePictureNotAPicture, source,
             LangString(kTextTooManyPixels, {std::to_string(kMaxPicturePixels / 1'000'000)}));
    }
    if (source.area.isEmpty()) {
        return {};
    }
    PicturePlacement place = PlacePicture(size, source.area, source.fit);
    if (place.source != QRect(QPoint(0, 0), size)) {
        reader.setClipRect(place.source);
    }
    reader.setScaledSize(place.target.size());
    QImage picture = reader.read();
    if (picture.isNull()) {
        notAPicture();
    }
    if (picture.size() != place.target.size()) {
        picture =
            picture.scaled(place.target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    picture = FlattenOver(std::move(picture), source.background);
    return {PictureForDrawing(std::move(picture)), place.target.topLeft()};
}

QImage DecodePictureWithin(const std::string& bytes, QSize bound) {
    QByteArray data = QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    setUpReader(reader);
    QSize size = reader.size();
    if (!size.isValid() || HasTooManyPixels(size)) {
        return {};
    }
    if (size.width() > bound.width() || size.height() > bound.height()) {
        reader.setScaledSize(size.scaled(bound, Qt::KeepAspectRatio));
    }
    return PictureForDrawing(reader.read());
}

CLiveSnapshots FetchLivePictures(const CDrawing& drawing, const StopCheck& stop, int seconds) {
    CLiveSnapshots snapshots;
    for (const LivePictureSource& source : drawing.LivePictures()) {
        try {
            LivePictureBytes bytes = ReadLivePicture(source, stop, seconds);
            snapshots.Add(source.element, DecodeLivePicture(bytes, source));
        } catch (const std::runtime_error&) {
            if (!source.optional || (stop && stop())) {
                throw;
            }
            snapshots.Add(source.element, LiveSnapshot{});
        }
    }
    return snapshots;
}
