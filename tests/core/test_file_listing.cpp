#include <QtTest>

#include <QRandomGenerator>

#include "core/files/FileListing.h"
#include "core/text/NaturalOrder.h"

namespace {

std::string_view view(const QByteArray& bytes) {
    return std::string_view(bytes.constData(), size_t(bytes.size()));
}

int sign(int v) {
    return (v > 0) - (v < 0);
}

}  // namespace

// The order of the list is the order of the serial numbers, so it must be the
// one a reader expects and the same on every machine.
class TestFileListing : public QObject {
    Q_OBJECT
private slots:
    void naturalOrder_data() {
        QTest::addColumn<QByteArrayList>("sorted");
        QTest::newRow("case and numbers")
            << QByteArrayList{"A.jpg", "a.JPG", "IMG_1.jpg", "IMG_2.JPG", "img_10.jpg"};
        QTest::newRow("leading zeros") << QByteArrayList{"a007.jpg", "a07.jpg", "a7.jpg", "a8.jpg"};
        QTest::newRow("letters as lower case") << QByteArrayList{"DSC_1.jpg", "DSCF2.jpg"};
        QTest::newRow("shorter name first") << QByteArrayList{"a", "a.jpg", "a0", "ab"};
        QTest::newRow("runs beyond 64 bits")
            << QByteArrayList{"x2.jpg",
                              "x18446744073709551615.jpg",      // 2^64 - 1
                              "x18446744073709551617.jpg",      // 2^64 + 1
                              "x999999999999999999999999.jpg",  // 24 digits
                              "x0001234567890123456789012345.jpg",
                              "x1234567890123456789012345.jpg",
                              "x1234567890123456789012346.jpg"};
        QTest::newRow("japanese") << QByteArrayList{"z.jpg", "写真1.jpg", "写真2.jpg", "写真10.jpg",
                                                    "写真Ａ.jpg"};
        QTest::newRow("digits against other bytes")
            << QByteArrayList{"a-1", "a1", "a9", "a10", "a_1"};
    }
    void naturalOrder() {
        QFETCH(QByteArrayList, sorted);
        for (qsizetype k = 0; k + 1 < sorted.size(); ++k) {
            const QByteArray& a = sorted[k];
            const QByteArray& b = sorted[k + 1];
            QVERIFY2(naturalCompare(view(a), view(b)) < 0, a + " before " + b);
            QVERIFY2(naturalCompare(view(b), view(a)) > 0, b + " after " + a);
        }
        for (const QByteArray& a : sorted)
            QCOMPARE(naturalCompare(view(a), view(QByteArray(a))), 0);
        QByteArrayList shuffled = sorted;
        std::reverse(shuffled.begin(), shuffled.end());
        std::sort(shuffled.begin(), shuffled.end(), [](const QByteArray& x, const QByteArray& y) {
            return naturalLess(view(x), view(y));
        });
        QCOMPARE(shuffled, sorted);
    }

    // std::sort misbehaves on an order that is not a strict weak ordering, and
    // ties left open would let the folder's storage order pick the numbers.
    void totalOrderOnRandomNames() {
        const QByteArrayList pieces{"a", "A", "b", "0", "00", "1", "9", "10", "_", ".", "-", "写"};
        QRandomGenerator random(20260101);
        QByteArrayList names;
        for (int n = 0; n < 70; ++n) {
            QByteArray name;
            const int length = random.bounded(1, 5);
            for (int k = 0; k < length; ++k)
                name += pieces[random.bounded(int(pieces.size()))];
            names << name;
        }
        for (const QByteArray& a : names) {
            for (const QByteArray& b : names) {
                const int ab = sign(naturalCompare(view(a), view(b)));
                QCOMPARE(ab, -sign(naturalCompare(view(b), view(a))));
                QCOMPARE(ab == 0, a == b);
                if (ab >= 0)
                    continue;
                for (const QByteArray& c : names) {
                    if (naturalCompare(view(b), view(c)) < 0)
                        QVERIFY2(naturalCompare(view(a), view(c)) < 0, a + " < " + b + " < " + c);
                }
            }
        }
    }

    void patterns_data() {
        QTest::addColumn<QByteArray>("patterns");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("matches");
        QTest::newRow("case of the name") << QByteArray("*.jpg") << QByteArray("A.JPG") << true;
        QTest::newRow("case of the pattern") << QByteArray("*.JPG") << QByteArray("a.jpg") << true;
        QTest::newRow("other extension") << QByteArray("*.jpg") << QByteArray("a.jpg.txt") << false;
        QTest::newRow("? on one kanji") << QByteArray("?.jpg") << QByteArray("写.jpg") << true;
        QTest::newRow("?? on one kanji") << QByteArray("??.jpg") << QByteArray("写.jpg") << false;
        QTest::newRow("*?? on one kanji") << QByteArray("*??.jpg") << QByteArray("写.jpg") << false;
        QTest::newRow("*? on two kanji") << QByteArray("*?.jpg") << QByteArray("写真.jpg") << true;
        QTest::newRow("? on a foreign byte")
            << QByteArray("?.jpg") << QByteArray("\x8e.jpg") << true;
        QTest::newRow("? counts") << QByteArray("IMG_????.jpg") << QByteArray("IMG_001.jpg")
                                  << false;
        QTest::newRow("star backtracks") << QByteArray("a*b*c") << QByteArray("aXbYbZc") << true;
        QTest::newRow("*.* with a dot") << QByteArray("*.*") << QByteArray("a.b") << true;
        QTest::newRow("*.* without a dot") << QByteArray("*.*") << QByteArray("README") << true;
        QTest::newRow("name.* without a dot") << QByteArray("IMG.*") << QByteArray("img") << true;
        QTest::newRow(".* alone") << QByteArray(".*") << QByteArray("abc") << false;
        QTest::newRow("name.* on a dotted name")
            << QByteArray("*x.*") << QByteArray("a.x") << false;
        QTest::newRow(".* not at the end") << QByteArray("*.*x") << QByteArray("abc") << false;
        QTest::newRow("*.jp* without a dot") << QByteArray("*.jp*") << QByteArray("jpg") << false;
        QTest::newRow("japanese extension")
            << QByteArray("*.ああ") << QByteArray("メモ.ああ") << true;
        QTest::newRow("japanese extension, short")
            << QByteArray("*.ああ") << QByteArray("メモ.あ") << false;
        QTest::newRow("second pattern") << QByteArray("*.jpg;*.png") << QByteArray("a.PNG") << true;
        QTest::newRow("neither pattern")
            << QByteArray("*.jpg;*.png") << QByteArray("a.gif") << false;
        QTest::newRow("empty piece skipped")
            << QByteArray(";;*.jpg;") << QByteArray("a.jpg") << true;
        QTest::newRow("only empty pieces") << QByteArray(";") << QByteArray("a") << false;
        QTest::newRow("empty pattern list") << QByteArray() << QByteArray("a.jpg") << false;
    }
    void patterns() {
        QFETCH(QByteArray, patterns);
        QFETCH(QByteArray, name);
        QFETCH(bool, matches);
        QCOMPARE(PatternSet(patterns).matches(view(name)), matches);
    }
};

QTEST_GUILESS_MAIN(TestFileListing)
#include "test_file_listing.moc"
