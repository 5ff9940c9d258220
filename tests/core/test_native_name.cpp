#include <QtTest>

#include "core/text/NativeName.h"

// Paths travel through the windows as text; they must come back byte for byte.
class TestNativeName : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ascii") << QByteArray("/home/user/IMG_0001.JPG");
        QTest::newRow("japanese") << QByteArray("/写真/旅行 2026");
        QTest::newRow("shift-jis") << QByteArray("/tmp/\x8e\xca\x90\x5e.jpg");  // 写真 in CP932
        QTest::newRow("latin-1") << QByteArray("caf\xe9.png");
        QTest::newRow("lone continuation") << QByteArray("a\x80z");
        QTest::newRow("truncated sequence") << QByteArray("\xe5\x86");
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf");
        QTest::newRow("encoded surrogate") << QByteArray("\xed\xb2\x80");
        QTest::newRow("four-byte emoji") << QByteArray("\xf0\x9f\x93\xb7.jpg");
        QTest::newRow("empty") << QByteArray();
        // A byte-order mark is part of the name, first or after a stray byte.
        QTest::newRow("leading mark") << QByteArray(
            "\xef\xbb\xbf"
            "IMG.jpg");
        QTest::newRow("mark after a stray byte") << QByteArray(
            ".\xef\xbb\xbf\xfb\xbe\xef\xbe"
            "3");
        QTest::newRow("emoji after a stray byte") << QByteArray("\x93\xf0\x9f\x93\xb7");
    }
    void roundTrip() {
        QFETCH(QByteArray, bytes);
        QCOMPARE(toNative(fromNative(bytes)), bytes);
    }

    void validTextIsPlainUtf8() {
        const QString text = QStringLiteral("写真📷.jpg");
        QCOMPARE(fromNative(text.toUtf8()), text);
        QCOMPARE(toNative(text), text.toUtf8());
        QVERIFY(isValidUtf8(text.toUtf8()));
        QVERIFY(!isValidUtf8(QByteArray("\x8e\xca")));
    }

    // What the list, the preview and the messages show. A name's bytes are
    // never taken from what is shown.
    void shown_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        const QString replacement(QChar::ReplacementCharacter);
        QTest::newRow("utf-8") << QByteArray("京都の写真.jpg") << "京都の写真.jpg";
        QTest::newRow("shift-jis")
            << QByteArray("\x8b\x9e\x93\x73\x82\xcc\x8e\xca\x90\x5e.jpg") << "京都の写真.jpg";
        QTest::newRow("code page 932's own") << QByteArray("\x87\x40.jpg") << "①.jpg";
        QTest::newRow("latin-1, neither")
            << QByteArray("caf\xe9.png") << "caf" + replacement + ".png";
        QTest::newRow("lead byte last, neither") << QByteArray("IMG\x8e") << "IMG" + replacement;
        QTest::newRow("shift-jis folder on a card")
            << QByteArray("/media/カード/\x8e\xca\x90\x5e/a.jpg") << "/media/カード/写真/a.jpg";
    }
    void shown() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        QCOMPARE(displayText(fromNative(bytes)), shown);
        if (!bytes.contains('/'))
            QCOMPARE(displayName(bytes), shown);
    }
};

QTEST_GUILESS_MAIN(TestNativeName)
#include "test_native_name.moc"
