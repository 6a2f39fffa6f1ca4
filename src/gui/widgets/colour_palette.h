// The popup of a colour button: an "Automatic" box, forty named colours in rows of eight and a
// "More Colors..." box, chosen with the mouse or the keyboard.
#pragma once

#include <QRect>
#include <QWidget>
#include <string>
#include <vector>

#include "drawing/geometry.h"

// A colour of the palette with the name its box shows as tooltip (names are not translated).
struct NamedColour {
    std::string name;
    Colour colour;  // 0x00BBGGRR
};

// The forty colours of the palette, in the order of their boxes.
const std::vector<NamedColour>& PaletteColours();

class CColourPalette : public QWidget {
    Q_OBJECT

  public:
    // Box numbers: "Automatic", then the colours 1 to 40 in table order, then "More Colors...".
    static constexpr int kAutomaticBox = 0;
    static constexpr int kMoreColorsBox = 41;
    // Colour boxes in a row.
    static constexpr int kColumns = 8;

    // A popup with the box of colour marked (none when colour is not in the palette);
    // defaultColour is what "Automatic" paints.
    CColourPalette(Colour colour, Colour defaultColour, QWidget* parent = nullptr);

    // Shows the palette under anchor's bottom-left corner, moved onto anchor's screen.
    void ShowAt(const QWidget* anchor);

    // The marked box, -1 when none is.
    int MarkedBox() const { return m_marked; }
    // Where a box lies in the palette; empty for a box number that does not exist.
    QRect BoxRect(int box) const;
    // The box at position, -1 when there is none.
    int BoxAt(const QPoint& position) const;

    // Closes the palette and reports box as chosen, as a click on it does.
    void PickBox(int box);
    // PickBox for "Automatic".
    void PickAutomatic() { PickBox(kAutomaticBox); }
    // PickBox for "More Colors...".
    void PickMoreColors() { PickBox(kMoreColorsBox); }

  signals:
    // A colour box, or "Automatic" as kNoColour, was chosen; the palette has closed.
    void colourChosen(Colour colour);
    // "More Colors..." was chosen; the palette has closed.
    void moreColorsChosen();

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void mark(int box);
    // The box an arrow key leads to from the marked one.
    int neighbour(int key) const;
    void paintTextBox(QPainter& painter, int box, const QString& text);

    std::vector<QRect> m_boxes;  // by box number
    Colour m_defaultColour;
    int m_marked = -1;
    QString m_automaticText;
    QString m_moreColorsText;
};
