#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QTest>

// The expected output files lie in tests/data/pages.
inline QByteArray expectedFile(const QString& name) {
    QFile f(QStringLiteral(DORVANA_TEST_DATA "/pages/") + name);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing expected file %s", qPrintable(f.fileName()));
    return f.readAll();
}

// Compares whole files, naming the first differing line (1-based) on failure.
#define COMPARE_FILE(actual, expected)                                                             \
    do {                                                                                           \
        const QByteArray a_ = (actual);                                                            \
        const QByteArray e_ = (expected);                                                          \
        if (a_ != e_) {                                                                            \
            const QList<QByteArray> al_ = a_.split('\n');                                          \
            const QList<QByteArray> el_ = e_.split('\n');                                          \
            for (qsizetype i_ = 0; i_ < qMax(al_.size(), el_.size()); ++i_) {                      \
                const QByteArray x_ = al_.value(i_, "<none>");                                     \
                const QByteArray y_ = el_.value(i_, "<none>");                                     \
                if (x_ != y_) {                                                                    \
                    qWarning("line %lld differs", qlonglong(i_ + 1));                              \
                    QCOMPARE(x_, y_);                                                              \
                }                                                                                  \
            }                                                                                      \
            QCOMPARE(a_, e_);                                                                      \
        }                                                                                          \
    } while (false)
