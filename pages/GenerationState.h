#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// What the writers of one generation run hand on to one another, and the
// lines each writer built. The values stay from one run to the next; every run
// sets them again before they are read, since the writers always run in order.
struct GenerationState {
    QString questionPageName; // stem + "sor.htm", set by the frameset writer
    QString answerPageName;   // stem + "cev.htm"
    QString resultPageName;   // stem + "son.htm"
    QString dataFileName;     // stem + "xml.xml", set by the question page writer
    qint32 questionCount = 0; // set by the question page writer
    qint32 questionIndex = 0; // running question number of the writer's loops
    QString outputPath;       // path of the file the writer last built

    // One line buffer per output file, in the order of the writers.
    QStringList sayfaind;
    QStringList sayfasor;
    QStringList sayfacev;
    QStringList sayfason;
    QStringList sayfaxml;
};
