#include "gui/panes/pane.h"

void CPane::Forward(CPane* child) {
    connect(child, &CPane::aboutToChange, this, &CPane::aboutToChange);
    connect(child, &CPane::changed, this, &CPane::changed);
}
