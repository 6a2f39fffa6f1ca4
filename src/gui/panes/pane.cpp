#include "gui/panes/pane.h"

#include <QString>

#include "weather/data_file.h"

int ReadNumber(const QString& text) {
    return static_cast<int>(parseDecimal(text.toStdString()));
}

void CPane::Forward(CPane* child) {
    connect(child, &CPane::aboutToChange, this, &CPane::aboutToChange);
    connect(child, &CPane::changed, this, &CPane::changed);
}
