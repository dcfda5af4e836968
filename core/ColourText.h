#pragma once

#include <QString>
#include <QtGlobal>

// Colour value as the colour dialog reports it: red in bits 0-7, green in
// bits 8-15, blue in bits 16-23; bits 24-31 carry nothing.
using ColourValue = quint32;

// "#RRGGBB" with upper-case hexadecimal digits.
QString colourText(ColourValue value);
