#pragma once

#include <QString>
#include <QtGlobal>

// The teacher's saved settings (colours, the navigation images' folder, the
// options, the single page, the time limit and the net rule), as one plain
// value. The member initialisers are the defaults of a new database and of the
// window's controls. Stored by db/Settings, shown by the window's control
// table, read by every page builder through PageSetInput.
struct Settings {
    QString sorus = QStringLiteral("#B86397");  // question page background
    QString cevaps = QStringLiteral("#B86397"); // answer sheet background
    QString sonucs = QStringLiteral("#B86397"); // result page background
    QString soruac = QStringLiteral("#F1CFE4"); // explanation box background
    QString ace = QStringLiteral("#F1CFE4");    // answer sheet columns A, C, E
    QString bd = QStringLiteral("#DA70D6");     // answer sheet columns B, D
    QString gezyer;                             // folder of the navigation images
    qint32 siksay = 4;                          // options per question
    bool teksayfa = true;                       // also write the single page for today's browsers
    qint32 sure = 0;                            // time limit in minutes, 0 for none
    qint32 yanlis = 3;    // wrong answers that cancel one right answer; 0: none do
    bool dogrular = true; // the single page's result view lists the correct answers
    qint32 kitapcik = 1;  // booklet types of the single page: 1, 2 or 4
};
