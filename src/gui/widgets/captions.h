// Captions and help tooltips of a window's controls from the string table: every child with a
// "textId" property shows the text before the first line feed as its caption and, while help
// tooltips are on, the text after it as its tooltip.
#pragma once

#include <QString>
#include <QWidget>

// Sets the captions and tooltips of window and every child that carries a textId.
void ApplyCaptions(QWidget* window);

// The caption part of a string id, ready for a widget.
QString Caption(unsigned id);
// The help part of a string id.
QString HelpOf(unsigned id);

// A tooltip of the plain text broken into lines of at most 60 characters at blanks (a longer
// word stands on a line of its own), its own line breaks kept: Qt's own wrapping makes
// tooltips a few words narrow.
QString WrappedTooltip(const QString& text);
