// What every property pane shares: the element it shows, the read-only state, and the notices
// around each change, which the main view turns into undo steps (one per field while typing).
#pragma once

#include <QWidget>

class CDrawObj;
class QString;

// A number as typed: leading digits as the C library reads them ("12x" is 12), else 0.
int ReadNumber(const QString& text);

class CPane : public QWidget {
    Q_OBJECT
  public:
    using QWidget::QWidget;

  signals:
    // A field is about to change the drawing; field names the control (its string id).
    void aboutToChange(int field);
    // The change is made.
    void changed(int field);

  protected:
    // Runs the change between the two notices, unless the pane is being filled or shows nothing.
    template <class Change>
    void Edit(int field, Change change) {
        if (m_filling || m_element == nullptr) {
            return;
        }
        emit aboutToChange(field);
        change();
        emit changed(field);
    }
    // Forwards a child pane's notices as this pane's own.
    void Forward(CPane* child);

    CDrawObj* m_element = nullptr;
    bool m_filling = false;
};
