#pragma once

#include "forms/FormLayout.h"

#include <QByteArray>

// The layout as the JSON document `dorvana-forms print --layout` writes:
// version, page, markers, qr, boxes and bubbles, in millimetres from the
// page's top-left corner (bubbles by their centres, the rest by their
// top-left corners). Printed texts are not part of it: nothing reads them.
QByteArray layoutJson(const FormLayout& layout);
