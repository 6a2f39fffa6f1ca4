#include "gui/widgets/colour_button.h"

#include <QColorDialog>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <algorithm>

#include "base/settings.h"
#include "drawing/painter_canvas.h"
#include "gui/widgets/captions.h"

namespace {

// Black or white, whichever reads better on background.
QColor textColourOn(Colour background) {
    int red = background & 0xFF, green = (background >> 8) & 0xFF, blue = (background >> 16) & 0xFF;
    return 299 * red + 587 * green + 114 * blue >= 128000 ? Qt::black : Qt::white;
}

}  // namespace

CColorButton::CColorButton(QWidget* parent)
    : QPushButton(parent), m_defaultColour(fromQColor(palette().color(QPalette::Dark))) {
    connect(this, &QPushButton::clicked, this, &CColorButton::openPalette);
}

void CColorButton::SetColour(Colour colour) {
    m_colour = colour;
    update();
}

void CColorButton::SetDefaultColour(Colour colour) {
    m_defaultColour = colour;
    update();
}

CColourPalette* CColorButton::Palette() const {
    return m_palette != nullptr && m_palette->isVisible() ? m_palette.data() : nullptr;
}

QSize CColorButton::sizeHint() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    QFontMetrics metrics = fontMetrics();
    QSize contents(metrics.horizontalAdvance(Caption(1073)) + 16, metrics.height() + 4);
    return style()->sizeFromContents(QStyle::CT_PushButton, &option, contents, this);
}

void CColorButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    QRect contents = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    QRect swatch = contents.adjusted(2, 2, -2, -2);
    bool automatic = m_colour == kNoColour;
    Colour shown = automatic ? m_defaultColour : m_colour;
    // A disabled button (an active image's pane) still shows its colour, greyed.
    QColor fill = toQColor(shown);
    if (!isEnabled()) {
        QColor window = palette().color(QPalette::Window);
        fill = QColor((fill.red() + window.red()) / 2, (fill.green() + window.green()) / 2,
                      (fill.blue() + window.blue()) / 2);
    }
    painter.fillRect(swatch, fill);
    painter.setPen(palette().color(isEnabled() ? QPalette::Shadow : QPalette::Mid));
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
    if (automatic) {
        painter.setPen(isEnabled() ? textColourOn(shown)
                                   : palette().color(QPalette::Disabled, QPalette::ButtonText));
        painter.drawText(swatch, Qt::AlignCenter, Caption(1073));
    }
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = contents;
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

void CColorButton::openPalette() {
    // A new palette each time: it starts with the current colour marked.
    delete m_palette.data();
    m_palette = new CColourPalette(m_colour, m_defaultColour, this);
    connect(m_palette, &CColourPalette::colourChosen, this, &CColorButton::pick);
    connect(m_palette, &CColourPalette::moreColorsChosen, this, &CColorButton::pickMoreColors);
    m_palette->ShowAt(this);
}

void CColorButton::pick(Colour colour) {
    if (colour == m_colour) {
        return;
    }
    SetColour(colour);
    emit colourPicked(colour);
}

void CColorButton::pickMoreColors() {
    CSettings& settings = CSettings::Instance();
    for (int i = 0; i < QColorDialog::customCount(); ++i) {
        QColorDialog::setCustomColor(i, toQColor(static_cast<Colour>(settings.GetCustomColor(i))));
    }
    QColor chosen = askMoreColors(toQColor(m_colour == kNoColour ? m_defaultColour : m_colour));
    if (!chosen.isValid()) {
        return;
    }
    // Custom colours the user added in the dialog are kept only when it was left with OK.
    for (int i = 0; i < QColorDialog::customCount(); ++i) {
        settings.SetCustomColor(i, fromQColor(QColorDialog::customColor(i)));
    }
    pick(fromQColor(chosen));
}

QColor CColorButton::askMoreColors(const QColor& start) {
    if (Answers().empty()) {
        return QColorDialog::getColor(start, this);
    }
    MoreColorsAnswer answer = Answers().front();
    Answers().pop_front();
    MoreColorsShown().push_back(start);
    int count =
        std::min(static_cast<int>(answer.customColours.size()), QColorDialog::customCount());
    for (int i = 0; i < count; ++i) {
        QColorDialog::setCustomColor(i, answer.customColours[i]);
    }
    return answer.colour;
}

void CColorButton::AnswerMoreColorsNext(const QColor& colour,
                                        const std::vector<QColor>& customColours) {
    Answers().push_back({colour, customColours});
}

std::vector<QColor>& CColorButton::MoreColorsShown() {
    static std::vector<QColor> shown;
    return shown;
}

std::deque<CColorButton::MoreColorsAnswer>& CColorButton::Answers() {
    static std::deque<MoreColorsAnswer> answers;
    return answers;
}
