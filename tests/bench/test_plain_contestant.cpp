#include <QtTest>

#include <QRandomGenerator>

#include "core/files/FileListing.h"
#include "core/text/NaturalOrder.h"
#include "plain.h"

namespace {

int sign(int v) {
    return (v > 0) - (v < 0);
}

}  // namespace

// The suite times the program against a plain C program doing "the same job".
// It is the same job only while the plain program lists the same files in
// the same order; any drift would be timed as if it were speed.
class TestPlainContestant : public QObject {
    Q_OBJECT
private slots:
    void naturalOrderAgrees() {
        const QByteArrayList pieces{"a",
                                    "A",
                                    "b",
                                    "Z",
                                    "0",
                                    "00",
                                    "007",
                                    "1",
                                    "9",
                                    "10",
                                    "_",
                                    ".",
                                    "-",
                                    "~",
                                    "写",
                                    "真",
                                    "\x8e",
                                    "\xca",
                                    "\xff",
                                    "18446744073709551617",
                                    "099999999999999999999"};
        QRandomGenerator random(4242);
        QByteArrayList names;
        for (int n = 0; n < 400; ++n) {
            QByteArray name;
            const int length = random.bounded(1, 6);
            for (int k = 0; k < length; ++k)
                name += pieces[random.bounded(int(pieces.size()))];
            names << name;
        }
        for (const QByteArray& a : names) {
            for (const QByteArray& b : names) {
                const int program =
                    sign(naturalCompare(std::string_view(a.constData(), size_t(a.size())),
                                        std::string_view(b.constData(), size_t(b.size()))));
                const int plain = sign(plain_natural_compare(a.constData(), b.constData()));
                if (program != plain)
                    QFAIL(qPrintable(
                        QStringLiteral("%1 against %2: program %3, plain %4")
                            .arg(QString::fromLatin1(a.toHex()), QString::fromLatin1(b.toHex()))
                            .arg(program)
                            .arg(plain)));
            }
        }
    }

    void patternsAgree_data() {
        QTest::addColumn<QByteArray>("patterns");
        for (const char* patterns :
             {"*.jpg", "*.JPG;*.jpeg", "*.*", "*", "photo.*", "?.jpg", "写?.jpg", "??.jpg", "a*b*c",
              ";*.png;", "", "IMG_??.jpg", "*g", "*.j*g"})
            QTest::newRow(patterns) << QByteArray(patterns);
    }
    void patternsAgree() {
        QFETCH(QByteArray, patterns);
        const PatternSet set(patterns);
        const QByteArrayList names{
            "a.jpg",      "A.JPG",        "photo",  "photo.jpg", "写真.jpg",  "写.jpg",
            "写真",       "\x8e\xca.jpg", "abc",    "aXbYc",     "ab",        "acb",
            "IMG_12.jpg", "IMG_1.jpg",    "x.png",  "noext",     "a.jpg.bak", "\xc3\xa9.jpg",
            "\xff.jpg",   "\xe5\x86.jpg", "a.jpeg", "g"};
        for (const QByteArray& name : names) {
            const bool program =
                set.matches(std::string_view(name.constData(), size_t(name.size())));
            const bool plain = plain_matches(patterns.constData(), name.constData()) != 0;
            QVERIFY2(program == plain, qPrintable(QStringLiteral("%1: program %2, plain %3")
                                                      .arg(QString::fromLatin1(name.toHex()))
                                                      .arg(program)
                                                      .arg(plain)));
        }
    }
};

QTEST_APPLESS_MAIN(TestPlainContestant)
#include "test_plain_contestant.moc"
