// The widest text a weather data element can ever show, so a layout can be checked against it
// instead of against today's reading.
#pragma once

#include <QFont>
#include <string>

// The widest display text of the data type in that format, in font, as the renderer lays it
// out: the widest sign, digits and unit of the type's range, "OFL", the widest compass name,
// for date and time the widest day, month, hour and minute of this year.
std::string WidestReading(const QFont& font, int dataType, int format);
