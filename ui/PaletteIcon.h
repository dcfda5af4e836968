#pragma once

#include <QIcon>

// The 16 x 16 picture of a painter's palette with a brush shown on the colour buttons.
QIcon paletteIcon();
