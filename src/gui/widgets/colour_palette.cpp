#include "gui/widgets/colour_palette.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QToolTip>
#include <algorithm>

#include "drawing/painter_canvas.h"
#include "gui/widgets/captions.h"

namespace {

constexpr int kMargin = 4;
constexpr int kGap = 4;    // between the text boxes and the colour boxes
constexpr int kCell = 20;  // smallest colour box
constexpr int kInset = 3;  // from a colour box to its swatch
constexpr int kColours = 40;

// The table lists colours as 0xRRGGBB, the way they are usually written down.
constexpr Colour fromRgb(std::uint32_t rgb) {
    return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

}  // namespace

const std::vector<NamedColour>& PaletteColours() {
    static const std::vector<NamedColour> colours = {
        {"Black", fromRgb(0x000000)},
        {"Brown", fromRgb(0xA52A00)},
        {"Dark Olive Green", fromRgb(0x004040)},
        {"Dark Green", fromRgb(0x005500)},
        {"Dark Teal", fromRgb(0x00005E)},
        {"Dark blue", fromRgb(0x00008B)},
        {"Indigo", fromRgb(0x4B0082)},
        {"Dark grey", fromRgb(0x282828)},
        {"Dark red", fromRgb(0x8B0000)},
        {"Orange", fromRgb(0xFF6820)},
        {"Dark yellow", fromRgb(0x8B8B00)},
        {"Green", fromRgb(0x009300)},
        {"Teal", fromRgb(0x388E8E)},
        {"Blue", fromRgb(0x0000FF)},
        {"Blue-grey", fromRgb(0x7B7BC0)},
        {"Grey - 40", fromRgb(0x666666)},
        {"Red", fromRgb(0xFF0000)},
        {"Light orange", fromRgb(0xFFAD5B)},
        {"Lime", fromRgb(0x32CD32)},
        {"Sea green", fromRgb(0x3CB371)},
        {"Aqua", fromRgb(0x7FFFD4)},
        {"Light blue", fromRgb(0x7D9EC0)},
        {"Violet", fromRgb(0x800080)},
        {"Grey - 50", fromRgb(0x7F7F7F)},
        {"Pink", fromRgb(0xFFC0CB)},
        {"Gold", fromRgb(0xFFD700)},
        {"Yellow", fromRgb(0xFFFF00)},
        {"Bright green", fromRgb(0x00FF00)},
        {"Turquoise", fromRgb(0x40E0D0)},
        {"Skyblue", fromRgb(0xC0FFFF)},
        {"Plum", fromRgb(0x480048)},
        {"Light grey", fromRgb(0xC0C0C0)},
        {"Rose", fromRgb(0xFFE4E1)},
        {"Tan", fromRgb(0xD2B48C)},
        {"Light yellow", fromRgb(0xFFFFE0)},
        {"Pale green ", fromRgb(0x98FB98)},
        {"Pale turquoise", fromRgb(0xAFEEEE)},
        {"Pale blue", fromRgb(0x68838B)},
        {"Lavender", fromRgb(0xE6E6FA)},
        {"White", fromRgb(0xFFFFFF)},
    };
    return colours;
}

CColourPalette::CColourPalette(Colour colour, Colour defaultColour, QWidget* parent)
    // Frameless as every popup is, said outright so that no platform adds a frame to the position.
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint),
      m_defaultColour(defaultColour),
      m_automaticText(Caption(1073)),
      m_moreColorsText(Caption(1080)) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);  // the mark follows the mouse

    // The text boxes span the rows of colours; long translations widen the colour boxes.
    QFontMetrics metrics = fontMetrics();
    int textWidth = std::max(metrics.horizontalAdvance(m_automaticText) + metrics.height() + 16,
                             metrics.horizontalAdvance(m_moreColorsText) + 16);
    int cell = std::max(kCell, (textWidth + kColumns - 1) / kColumns);
    int rowWidth = cell * kColumns;
    int textHeight = metrics.height() + 8;

    m_boxes.push_back(QRect(kMargin, kMargin, rowWidth, textHeight));
    int top = kMargin + textHeight + kGap;
    for (int i = 0; i < kColours; ++i) {
        m_boxes.push_back(
            QRect(kMargin + i % kColumns * cell, top + i / kColumns * cell, cell, cell));
    }
    int rows = kColours / kColumns;
    m_boxes.push_back(QRect(kMargin, top + rows * cell + kGap, rowWidth, textHeight));
    setFixedSize(rowWidth + 2 * kMargin, m_boxes.back().bottom() + 1 + kMargin);

    if (colour == kNoColour) {
        m_marked = kAutomaticBox;
    } else {
        const auto& colours = PaletteColours();
        auto found =
            std::find_if(colours.begin(), colours.end(),
                         [colour](const NamedColour& entry) { return entry.colour == colour; });
        if (found != colours.end()) {
            m_marked = static_cast<int>(found - colours.begin()) + 1;
        }
    }
}

void CColourPalette::ShowAt(const QWidget* anchor) {
    QPoint below = anchor->mapToGlobal(QPoint(0, anchor->height()));
    QPoint position = below;
    if (QScreen* screen = anchor->screen()) {
        QRect available = screen->availableGeometry();
        // Above the anchor when there is no room below it.
        if (position.y() + height() > available.bottom() + 1) {
            position.setY(anchor->mapToGlobal(QPoint(0, 0)).y() - height());
        }
        position.setX(std::clamp(position.x(), available.left(),
                                 std::max(available.left(), available.right() + 1 - width())));
        position.setY(std::max(position.y(), available.top()));
    }
    move(position);
    show();
    setFocus(Qt::PopupFocusReason);
}

QRect CColourPalette::BoxRect(int box) const {
    if (box < 0 || box >= static_cast<int>(m_boxes.size())) {
        return QRect();
    }
    return m_boxes[box];
}

int CColourPalette::BoxAt(const QPoint& position) const {
    for (int box = 0; box < static_cast<int>(m_boxes.size()); ++box) {
        if (m_boxes[box].contains(position)) {
            return box;
        }
    }
    return -1;
}

void CColourPalette::PickBox(int box) {
    if (box < 0 || box >= static_cast<int>(m_boxes.size())) {
        return;
    }
    // Closed first: "More Colors..." opens a modal dialog, which an open popup would hold up.
    close();
    if (box == kMoreColorsBox) {
        emit moreColorsChosen();
    } else if (box == kAutomaticBox) {
        emit colourChosen(kNoColour);
    } else {
        emit colourChosen(PaletteColours()[box - 1].colour);
    }
}

void CColourPalette::mark(int box) {
    if (box != m_marked) {
        m_marked = box;
        update();
    }
}

int CColourPalette::neighbour(int key) const {
    int last = kMoreColorsBox - 1;
    if (m_marked < 0) {
        return 1;  // nothing marked yet: start at the first colour
    }
    switch (key) {
        case Qt::Key_Left:
            return std::max(m_marked - 1, 0);
        case Qt::Key_Right:
            return std::min(m_marked + 1, kMoreColorsBox);
        case Qt::Key_Up:
            if (m_marked == kMoreColorsBox) {
                return last - kColumns + 1;
            }
            return m_marked <= kColumns ? kAutomaticBox : m_marked - kColumns;
        case Qt::Key_Down:
            if (m_marked == kAutomaticBox) {
                return 1;
            }
            return m_marked > last - kColumns ? kMoreColorsBox : m_marked + kColumns;
        default:
            return m_marked;
    }
}

bool CColourPalette::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        int box = BoxAt(help->pos());
        if (box > kAutomaticBox && box < kMoreColorsBox) {
            QToolTip::showText(help->globalPos(),
                               QString::fromStdString(PaletteColours()[box - 1].name), this,
                               m_boxes[box]);
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

void CColourPalette::paintTextBox(QPainter& painter, int box, const QString& text) {
    QRect rect = m_boxes[box];
    bool marked = box == m_marked;
    if (marked) {
        painter.fillRect(rect, palette().color(QPalette::Highlight));
    }
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect.adjusted(1, 1, -2, -2));
    QRect textRect = rect;
    if (box == kAutomaticBox) {
        // A swatch of the colour that "Automatic" stands for, left of the text.
        int side = rect.height() - 2 * (kInset + 1);
        QRect swatch(rect.left() + kInset + 1, rect.top() + kInset + 1, side, side);
        painter.fillRect(swatch, toQColor(m_defaultColour));
        painter.setPen(palette().color(QPalette::Shadow));
        painter.drawRect(swatch.adjusted(0, 0, -1, -1));
        textRect.setLeft(swatch.right() + 1);
    }
    painter.setPen(palette().color(marked ? QPalette::HighlightedText : QPalette::WindowText));
    painter.drawText(textRect, Qt::AlignCenter, text);
}

void CColourPalette::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    paintTextBox(painter, kAutomaticBox, m_automaticText);
    for (int box = 1; box < kMoreColorsBox; ++box) {
        QRect rect = m_boxes[box];
        if (box == m_marked) {
            painter.fillRect(rect.adjusted(1, 1, -1, -1), palette().color(QPalette::Highlight));
        }
        QRect swatch = rect.adjusted(kInset, kInset, -kInset, -kInset);
        painter.fillRect(swatch, toQColor(PaletteColours()[box - 1].colour));
        painter.setPen(palette().color(QPalette::Shadow));
        painter.drawRect(swatch.adjusted(0, 0, -1, -1));
    }
    paintTextBox(painter, kMoreColorsBox, m_moreColorsText);
}

void CColourPalette::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
            mark(neighbour(event->key()));
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            PickBox(m_marked);
            break;
        case Qt::Key_Escape:
            close();
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    event->accept();
}

void CColourPalette::mouseMoveEvent(QMouseEvent* event) {
    int box = BoxAt(event->position().toPoint());
    if (box >= 0) {
        mark(box);
    }
}

void CColourPalette::mousePressEvent(QMouseEvent* event) {
    QPoint position = event->position().toPoint();
    // A press on the button that opened the palette only closes it: replayed to the button,
    // it would open the palette again at once.
    if (!rect().contains(position) && parentWidget() != nullptr &&
        parentWidget()->rect().contains(
            parentWidget()->mapFromGlobal(event->globalPosition()).toPoint())) {
        setAttribute(Qt::WA_NoMouseReplay);
    }
    QWidget::mousePressEvent(event);  // closes the popup on a press outside it
}

void CColourPalette::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        PickBox(BoxAt(event->position().toPoint()));
    }
}
