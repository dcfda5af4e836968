#pragma once

#include <QString>
#include <QStringList>

// The entry page of a test: two frames side by side, "sol" with the question
// page and "sag" with the answer sheet. The other pages reach one another
// through these frame names.
struct FramesetInput {
    QString questionPageName; // stem + "sor.htm"
    QString answerPageName;   // stem + "cev.htm"
};

// The nine lines of the frameset page; the names are copied unchanged.
QStringList framesetLines(const FramesetInput& in);
