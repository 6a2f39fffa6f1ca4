// A push button that shows a colour as a swatch and lets the user choose another from a palette
// popup, with a seam through which tests answer the "More Colors..." dialog in advance.
#pragma once

#include <QColor>
#include <QPointer>
#include <QPushButton>
#include <deque>
#include <vector>

#include "drawing/geometry.h"
#include "gui/widgets/colour_palette.h"

class CColorButton : public QPushButton {
    Q_OBJECT

  public:
    // An "Automatic" button whose default colour is the palette's workspace grey.
    explicit CColorButton(QWidget* parent = nullptr);

    // The colour shown; kNoColour is "Automatic".
    Colour GetColour() const { return m_colour; }
    // Shows colour without reporting it as picked.
    void SetColour(Colour colour);
    // The colour painted for "Automatic".
    Colour GetDefaultColour() const { return m_defaultColour; }
    // Sets the colour painted for "Automatic".
    void SetDefaultColour(Colour colour);

    // The palette while it is open, nullptr otherwise.
    CColourPalette* Palette() const;

    // Room for the text "Automatic" next to the frame of a push button.
    QSize sizeHint() const override;

    // Tests: the next "More Colors..." dialogs answer these in order without showing anything;
    // an invalid colour cancels. customColours are the dialog's custom colours as the user leaves
    // them, from the first on; the others stay as read from the settings.
    static void AnswerMoreColorsNext(const QColor& colour,
                                     const std::vector<QColor>& customColours = {});
    // Tests: the colour each answered dialog started with.
    static std::vector<QColor>& MoreColorsShown();

  signals:
    // The user picked colour, which differs from the one before; it is stored and shown.
    void colourPicked(Colour colour);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    struct MoreColorsAnswer {
        QColor colour;
        std::vector<QColor> customColours;
    };

    void openPalette();
    void pick(Colour colour);
    void pickMoreColors();
    // The colour the dialog returned, invalid when cancelled; a queued answer when there is one.
    QColor askMoreColors(const QColor& start);
    static std::deque<MoreColorsAnswer>& Answers();

    Colour m_colour = kNoColour;
    Colour m_defaultColour;
    QPointer<CColourPalette> m_palette;
};
