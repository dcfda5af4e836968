#include "forms/FormLayoutJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

// Hundredths of a millimetre are finer than any printer; rounding keeps the
// file free of binary fractions.
double mm(double value) {
    return std::round(value * 100) / 100;
}

QString kindName(FormBubble::Kind kind) {
    switch (kind) {
    case FormBubble::Kind::Answer:
        return QStringLiteral("answer");
    case FormBubble::Kind::Number:
        return QStringLiteral("number");
    case FormBubble::Kind::Booklet:
        break;
    }
    return QStringLiteral("booklet");
}

} // namespace

QByteArray layoutJson(const FormLayout& layout) {
    QJsonArray markers;
    for (const FormMarker& m : layout.markers)
        markers.append(QJsonObject{{QStringLiteral("id"), m.id},
                                   {QStringLiteral("x_mm"), mm(m.x)},
                                   {QStringLiteral("y_mm"), mm(m.y)},
                                   {QStringLiteral("size_mm"), mm(m.size)}});
    QJsonArray boxes;
    for (const FormBox& b : layout.boxes)
        boxes.append(QJsonObject{{QStringLiteral("kind"), b.kind == FormBox::Kind::Name
                                                              ? QStringLiteral("name")
                                                              : QStringLiteral("class")},
                                 {QStringLiteral("x_mm"), mm(b.x)},
                                 {QStringLiteral("y_mm"), mm(b.y)},
                                 {QStringLiteral("w_mm"), mm(b.w)},
                                 {QStringLiteral("h_mm"), mm(b.h)}});
    QJsonArray bubbles;
    for (const FormBubble& b : layout.bubbles) {
        QJsonObject o{{QStringLiteral("kind"), kindName(b.kind)}};
        if (b.kind == FormBubble::Kind::Answer)
            o.insert(QStringLiteral("question"), b.question);
        if (b.kind == FormBubble::Kind::Number) {
            o.insert(QStringLiteral("position"), b.position);
            o.insert(QStringLiteral("digit"), b.digit);
        } else {
            o.insert(QStringLiteral("option"), QString(b.option));
        }
        o.insert(QStringLiteral("x_mm"), mm(b.x));
        o.insert(QStringLiteral("y_mm"), mm(b.y));
        o.insert(QStringLiteral("r_mm"), mm(b.r));
        bubbles.append(o);
    }
    const QJsonObject root{
        {QStringLiteral("version"), kFormLayoutVersion},
        {QStringLiteral("page"), QJsonObject{{QStringLiteral("width_mm"), mm(layout.width)},
                                             {QStringLiteral("height_mm"), mm(layout.height)}}},
        {QStringLiteral("markers"), markers},
        {QStringLiteral("qr"), QJsonObject{{QStringLiteral("x_mm"), mm(layout.qr.x)},
                                           {QStringLiteral("y_mm"), mm(layout.qr.y)},
                                           {QStringLiteral("size_mm"), mm(layout.qr.size)}}},
        {QStringLiteral("boxes"), boxes},
        {QStringLiteral("bubbles"), bubbles}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}
