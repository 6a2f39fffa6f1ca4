// A drawing as XML text and back: what the undo history keeps of each change.
#pragma once

#include <string>

class CDrawing;

// The drawing's XML form (size, format and every element).
std::string DrawingXml(const CDrawing& drawing);

// Makes the drawing exactly what the XML describes: every element but the background is
// replaced, so pointers to the old elements are no longer valid.
void RestoreDrawing(CDrawing& drawing, const std::string& xml);
