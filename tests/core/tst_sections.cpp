// The section table's checks and the booklets' orders.

#undef QT_NO_CAST_FROM_ASCII

#include "core/AppError.h"
#include "core/Booklets.h"
#include "core/Sections.h"

#include <QTest>

#include <algorithm>

class tst_Sections : public QObject {
    Q_OBJECT
private slots:
    void check_data();
    void check();
    void booklets();
};

void tst_Sections::check_data() {
    QTest::addColumn<std::vector<Section>>("sections");
    QTest::addColumn<QString>("refusal"); // empty: accepted

    QTest::newRow("practice exam") << std::vector<Section>{{"Türkçe", 1, 40, 1},
                                                           {"Sosyal", 41, 60, 1},
                                                           {"Matematik", 61, 100, 1},
                                                           {"Fen", 101, 120, 1}}
                                   << QString();
    QTest::newRow("gaps and any order")
        << std::vector<Section>{{"Fen", 101, 110, 0.5}, {"Türkçe", 1, 1, 2}} << QString();
    QTest::newRow("overlap") << std::vector<Section>{{"Türkçe", 1, 40, 1}, {"Sosyal", 30, 60, 1}}
                             << "Bölüm listesi, 1. satır (Türkçe) ile 2. satır (Sosyal) çakışıyor: "
                                "30. soru ikisinde de.";
    QTest::newRow("outside")
        << std::vector<Section>{{"Fen", 101, 130, 1}}
        << "Bölüm listesi, 1. satır (Fen): son soru 130 testin dışında; test 1 ile 120 arasındaki "
           "soruları taşıyor.";
    QTest::newRow("reversed")
        << std::vector<Section>{{"Fen", 20, 10, 1}}
        << "Bölüm listesi, 1. satır (Fen): ilk soru (20) son sorudan (10) sonra geliyor.";
    QTest::newRow("same name") << std::vector<Section>{{"Fen", 1, 2, 1}, {" fen ", 3, 4, 1}}
                               << "Bölüm listesi, 1. satır ile 2. satır aynı adı taşıyor: \"fen\".";
    QTest::newRow("no name") << std::vector<Section>{{"  ", 1, 2, 1}}
                             << "Bölüm listesi, 1. satır: bölümün adı boş.";
    QTest::newRow("zero weight")
        << std::vector<Section>{{"Fen", 1, 2, 0}}
        << "Bölüm listesi, 1. satır (Fen): katsayı 0'dan büyük, en çok 100 olmalı.";
}

void tst_Sections::check() {
    QFETCH(std::vector<Section>, sections);
    QFETCH(QString, refusal);
    try {
        checkSections(sections, 120);
        QCOMPARE(QString(), refusal);
    } catch (const AppError& e) {
        QCOMPARE(e.text(), refusal);
    }
}

// Each booklet is a permutation within each section, differs from A there,
// is the same for the same test, and survives its stored form.
void tst_Sections::booklets() {
    const std::vector<Section> sections{{"Türkçe", 1, 40, 1}, {"Fen", 101, 120, 1}};
    const auto orders = bookletOrders("0123456789abcdef0123456789abcdef", 120, sections, 4);
    QCOMPARE(orders.size(), std::size_t(4));
    QCOMPARE(orders[0].order, teacherOrder(120));
    for (const BookletOrder& b : orders) {
        QVERIFY(isQuestionOrder(b.order, 120));
        for (int p = 0; p < 120; ++p) {
            const int q = b.order[std::size_t(p)];
            QVERIFY((p < 40) == (q <= 40) && (p >= 100) == (q > 100));
            if (p >= 40 && p < 100)
                QCOMPARE(q, p + 1); // in no section: keeps its place
        }
        if (b.letter != u'A')
            QVERIFY(!std::equal(b.order.begin(), b.order.begin() + 40, orders[0].order.begin()));
    }
    QCOMPARE(bookletOrders("0123456789abcdef0123456789abcdef", 120, sections, 4), orders);
    QVERIFY(bookletOrders("fedcba9876543210fedcba9876543210", 120, sections, 4)[1] != orders[1]);
    QCOMPARE(parseBookletOrders(bookletOrdersText(orders), 120), orders);
    QCOMPARE(toTeacherOrder({3, 1, 2}, "CAB"), QStringLiteral("ABC"));
    for (const char* damaged :
         {"A:1,2,2", "B:1,2,3", "A:1,2,3;B:1,2", "A:1,2,3;B:3,2,1;C:1,2,3", "A:1,x,3"})
        QVERIFY_THROWS_EXCEPTION(AppError, parseBookletOrders(damaged, 3));
}

QTEST_GUILESS_MAIN(tst_Sections)
#include "tst_sections.moc"
