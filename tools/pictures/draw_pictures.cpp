// Paints the built-in pictures (pressure trend arrows, weather symbols and the placeholder for a
// missing picture file) and saves them as PNG files into the directory given on the command line.
#include <QBrush>
#include <QColor>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <QTransform>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <span>

namespace {

constexpr int kLargeSize = 400;
constexpr int kIconSize = 48;
// Trend arrows and the steady bar share this line weight so they read as one set.
constexpr double kTrendStroke = 56.0;

// Top and bottom colour of a vertical gradient.
struct Shade {
    QColor top;
    QColor bottom;
};

// Trend symbols and raindrops share one blue.
const Shade kBlueShade{QColor(0x5c, 0xb3, 0xff), QColor(0x1c, 0x64, 0xd0)};
const Shade kRayShade{QColor(0xff, 0xc8, 0x2e), QColor(0xff, 0x9f, 0x1a)};
const Shade kFairCloudShade{QColor(0xf1, 0xf5, 0xfa), QColor(0xbf, 0xce, 0xe0)};
const Shade kRainCloudShade{QColor(0xc3, 0xcf, 0xdd), QColor(0x7e, 0x91, 0xa9)};
const Shade kStormCloudShade{QColor(0x8b, 0x97, 0xaa), QColor(0x4a, 0x56, 0x6b)};
const Shade kBoltShade{QColor(0xff, 0xe0, 0x5a), QColor(0xff, 0xa0, 0x1a)};

// Everything is drawn inside an 8% margin so no shape touches the picture border.
QRectF contentBox(int size) {
    const double margin = 0.08 * size;
    return QRectF(margin, margin, size - 2 * margin, size - 2 * margin);
}

QBrush verticalGradient(const QRectF& area, const Shade& shade) {
    QLinearGradient gradient(area.topLeft(), area.bottomLeft());
    gradient.setColorAt(0.0, shade.top);
    gradient.setColorAt(1.0, shade.bottom);
    return gradient;
}

QPainterPath roundStroke(const QPainterPath& centreLine, double width) {
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(centreLine);
}

// The area within distance of the shape, which also rounds off its corners.
QPainterPath grown(const QPainterPath& shape, double distance) {
    return roundStroke(shape, 2 * distance).united(shape);
}

// Area the trend centre lines may use: the round caps then end exactly at the margin.
QRectF trendLineBox() {
    const double half = kTrendStroke / 2;
    return contentBox(kLargeSize).adjusted(half, half, -half, -half);
}

// The two barbs meet at a right angle, so for a diagonal shaft they run along the picture axes
// and the head fills its corner of the picture.
QPainterPath diagonalArrow(QPointF tail, QPointF tip) {
    constexpr double kBarbShare = 0.5;
    QPainterPath line;
    line.moveTo(tail);
    line.lineTo(tip);
    line.moveTo(tip.x() + kBarbShare * (tail.x() - tip.x()), tip.y());
    line.lineTo(tip);
    line.lineTo(tip.x(), tip.y() + kBarbShare * (tail.y() - tip.y()));
    return roundStroke(line, kTrendStroke);
}

// One gradient over the whole content box, so arrows and bar look cut from the same material.
void paintTrend(QPainter& painter, const QPainterPath& outline) {
    painter.fillPath(outline, verticalGradient(contentBox(kLargeSize), kBlueShade));
}

void paintFalling(QPainter& painter) {
    const QRectF box = trendLineBox();
    paintTrend(painter, diagonalArrow(box.topRight(), box.bottomLeft()));
}

void paintSteady(QPainter& painter) {
    const QRectF box = trendLineBox();
    QPainterPath line;
    line.moveTo(box.left(), box.center().y());
    line.lineTo(box.right(), box.center().y());
    paintTrend(painter, roundStroke(line, kTrendStroke));
}

void paintRising(QPainter& painter) {
    const QRectF box = trendLineBox();
    paintTrend(painter, diagonalArrow(box.bottomLeft(), box.topRight()));
}

// radius is the reach of the rays; the disc takes a little over half of it.
void paintSun(QPainter& painter, QPointF centre, double radius) {
    constexpr int kRays = 8;
    const double rayWidth = 0.15 * radius;
    const QRectF reach(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    QPainterPath rayLines;
    for (int i = 0; i < kRays; ++i) {
        const double angle = i * 2 * std::numbers::pi / kRays;
        const QPointF direction(std::cos(angle), std::sin(angle));
        rayLines.moveTo(centre + direction * 0.76 * radius);
        rayLines.lineTo(centre + direction * (radius - rayWidth / 2));
    }
    painter.fillPath(roundStroke(rayLines, rayWidth), verticalGradient(reach, kRayShade));

    const double discRadius = 0.58 * radius;
    // Highlight up and to the left gives the disc a little volume without leaving flat style.
    QRadialGradient glow(centre, discRadius, centre - QPointF(0.4, 0.4) * discRadius);
    glow.setColorAt(0.0, QColor(0xff, 0xea, 0x80));
    glow.setColorAt(1.0, QColor(0xff, 0xb3, 0x20));
    QPainterPath disc;
    disc.addEllipse(centre, discRadius, discRadius);
    painter.fillPath(disc, glow);
}

// Puffs laid out in a 160 x 100 design box and mapped onto bounds. They overlap and turn the
// same way, so a winding fill paints their union without inner seams.
QPainterPath cloudPath(const QRectF& bounds) {
    QPainterPath design;
    design.setFillRule(Qt::WindingFill);
    design.addRoundedRect(QRectF(0, 50, 160, 50), 25, 25);
    design.addEllipse(QPointF(48, 56), 30, 30);
    design.addEllipse(QPointF(94, 46), 46, 46);
    design.addEllipse(QPointF(130, 70), 30, 30);
    QTransform toBounds;
    toBounds.translate(bounds.left(), bounds.top());
    toBounds.scale(bounds.width() / 160, bounds.height() / 100);
    return toBounds.map(design);
}

void paintCloud(QPainter& painter, const QRectF& bounds, const Shade& shade) {
    painter.fillPath(cloudPath(bounds), verticalGradient(bounds, shade));
}

// Upright drop: a circle of the given radius whose sides run straight up to a point.
QPainterPath dropPath(QPointF centre, double radius) {
    const double tipDistance = 2.3 * radius;
    const double sideAngle = std::acos(radius / tipDistance) * 180 / std::numbers::pi;
    const QRectF circle(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    QPainterPath drop;
    drop.moveTo(centre.x(), centre.y() - tipDistance);
    drop.arcTo(circle, 90 - sideAngle, -(360 - 2 * sideAngle));
    drop.closeSubpath();
    return drop;
}

void paintDrops(QPainter& painter, std::span<const QPointF> centres, double radius) {
    for (const QPointF& centre : centres) {
        const QPainterPath drop = dropPath(centre, radius);
        painter.fillPath(drop, verticalGradient(drop.boundingRect(), kBlueShade));
    }
}

// Zigzag laid out in a 100 x 160 design box and mapped onto bounds.
QPainterPath boltPath(const QRectF& bounds) {
    const QPolygonF design{{40, 0}, {80, 0}, {60, 58}, {90, 58}, {30, 160}, {46, 84}, {14, 84}};
    QTransform toBounds;
    toBounds.translate(bounds.left(), bounds.top());
    toBounds.scale(bounds.width() / 100, bounds.height() / 160);
    QPainterPath bolt;
    bolt.addPolygon(toBounds.map(design));
    bolt.closeSubpath();
    return bolt;
}

void paintBolt(QPainter& painter, const QRectF& bounds) {
    // Growing the zigzag a little softens its sharp corners.
    painter.fillPath(grown(boltPath(bounds), 0.04 * bounds.width()),
                     verticalGradient(bounds, kBoltShade));
}

// A cloud of the standard proportions across the top of the content box, leaving room below.
QRectF upperCloudBounds() {
    const QRectF box = contentBox(kLargeSize);
    return QRectF(box.left(), box.top(), box.width(), box.width() / 1.6);
}

void paintRain(QPainter& painter) {
    paintCloud(painter, upperCloudBounds(), kRainCloudShade);
    const QPointF drops[] = {{120, 306}, {200, 340}, {280, 306}};
    paintDrops(painter, drops, 22);
}

void paintSunny(QPainter& painter) {
    const QRectF box = contentBox(kLargeSize);
    paintSun(painter, box.center(), box.width() / 2);
}

// Darkens what is already painted in a soft band around the cloud. SourceAtop keeps the alpha
// of the pixels below, so the shadow never reaches the transparent background.
void paintCloudShadow(QPainter& painter, const QRectF& cloudBounds) {
    constexpr int kLayers = 16;
    constexpr double kSpread = 1.6;
    const QPainterPath cloud = cloudPath(cloudBounds.translated(3, -3));
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    for (int layer = 1; layer <= kLayers; ++layer) {
        painter.fillPath(grown(cloud, kSpread * layer), QColor(0x8a, 0x4a, 0x00, 8));
    }
    painter.restore();
}

void paintSunBehindClouds(QPainter& painter) {
    const QRectF cloudBounds(32, 183, 296, 185);
    paintSun(painter, QPointF(254, 146), 114);
    paintCloudShadow(painter, cloudBounds);
    paintCloud(painter, cloudBounds, kFairCloudShade);
}

void paintStorm(QPainter& painter) {
    paintCloud(painter, upperCloudBounds(), kStormCloudShade);
    const QPointF drops[] = {{104, 316}, {296, 316}};
    paintDrops(painter, drops, 22);
    paintBolt(painter, QRectF(150, 190, 100, 170));
}

// A small landscape photo in a light frame; the icon is 48 pixels wide, so it is laid out in
// pixel units.
void paintPhoto(QPainter& painter) {
    const QRectF frame(4, 6, 37, 31);
    painter.setBrush(QColor(0x6b, 0x7a, 0x90));
    painter.drawRoundedRect(frame, 4, 4);
    painter.setBrush(verticalGradient(frame, {QColor(0xff, 0xff, 0xff), QColor(0xe1, 0xe7, 0xee)}));
    painter.drawRoundedRect(frame.adjusted(1.2, 1.2, -1.2, -1.2), 3, 3);

    const QRectF view = frame.adjusted(4, 4, -4, -4);
    QPainterPath viewShape;
    viewShape.addRoundedRect(view, 1.5, 1.5);
    painter.save();
    painter.setClipPath(viewShape);
    painter.fillRect(view,
                     verticalGradient(view, {QColor(0x6c, 0xbd, 0xf5), QColor(0xc8, 0xeb, 0xff)}));
    painter.setBrush(QColor(0xff, 0xc8, 0x2e));
    painter.drawEllipse(QPointF(view.right() - 7, view.top() + 6), 3.5, 3.5);
    const QPolygonF hills{{view.left(), view.bottom()},
                          {view.left() + 10, view.top() + 9},
                          {view.left() + 17, view.top() + 16},
                          {view.left() + 21, view.top() + 12},
                          {view.right(), view.bottom()}};
    painter.setBrush(verticalGradient(view, {QColor(0x7c, 0xd1, 0x6e), QColor(0x2f, 0x8f, 0x46)}));
    painter.drawPolygon(hills);
    painter.restore();
}

// Red disc with a white cross and a white ring that sets it off from the frame below.
void paintMissingBadge(QPainter& painter) {
    const QPointF centre(37, 37);
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre, 7, 7);
    painter.setBrush(verticalGradient(QRectF(31, 31, 12, 12),
                                      {QColor(0xff, 0x5a, 0x4f), QColor(0xd3, 0x2f, 0x2f)}));
    painter.drawEllipse(centre, 5.6, 5.6);
    QPainterPath cross;
    cross.moveTo(centre + QPointF(-2.2, -2.2));
    cross.lineTo(centre + QPointF(2.2, 2.2));
    cross.moveTo(centre + QPointF(2.2, -2.2));
    cross.lineTo(centre + QPointF(-2.2, 2.2));
    painter.fillPath(roundStroke(cross, 1.7), Qt::white);
}

void paintMissing(QPainter& painter) {
    paintPhoto(painter);
    paintMissingBadge(painter);
}

struct Picture {
    const char* fileName;
    int size;
    void (*paint)(QPainter&);
};

const Picture kPictures[] = {
    {"300.png", kLargeSize, paintFalling},
    {"301.png", kLargeSize, paintSteady},
    {"302.png", kLargeSize, paintRising},
    {"304.png", kIconSize, paintMissing},
    {"305.png", kLargeSize, paintRain},
    {"306.png", kLargeSize, paintSunny},
    {"307.png", kLargeSize, paintSunBehindClouds},
    {"308.png", kLargeSize, paintStorm},
};

QImage render(const Picture& picture) {
    QImage image(picture.size, picture.size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    picture.paint(painter);
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw_pictures OUTPUT_DIRECTORY\n");
        return 2;
    }
    const QDir directory(QString::fromLocal8Bit(argv[1]));
    if (!directory.mkpath(".")) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    for (const Picture& picture : kPictures) {
        const QString path = directory.filePath(picture.fileName);
        if (!render(picture).save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
