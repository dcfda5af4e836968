#include "pages/FramesetPage.h"

#include <QStringBuilder>

using namespace Qt::StringLiterals;

QStringList framesetLines(const FramesetInput& in) {
    return {
        u"<HTML>"_s,
        u"<HEAD>"_s,
        u"<TITLE></TITLE>"_s,
        u"</HEAD>"_s,
        u"<FRAMESET  FRAMEBORDER=0 cols=\"80%,*\">"_s,
        u"<FRAME name=\"sol\" SRC=\""_s % in.questionPageName % u"\"  SCROLLING=\"AUTO\">"_s,
        u"<FRAME name=\"sag\" SRC=\""_s % in.answerPageName % u"\">"_s,
        u"</FRAMESET>"_s,
        u"</HTML>"_s,
    };
}
