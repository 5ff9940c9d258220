#include <QtTest>

#include "core/text/NativeName.h"
#include "ui/startup/FolderHandOff.h"

#include <QLocalSocket>

#include <atomic>
#include <memory>

using namespace Qt::StringLiterals;

// A later start's folder on its way to the running copy: the message, and the
// running copy's side of the socket, which takes what a later start sends and
// nothing else, without ever waiting for a client.

namespace {

// 写真 in code page 932, as an old camera card's folder may be named.
const QByteArray kShiftJisFolder = "/tmp/\x8e\xca\x90\x5e";

QByteArray header(quint32 length) {
    char big[4];
    qToBigEndian(length, big);
    return QByteArray(kFolderMessageMagic) + QByteArray(big, 4);
}

// A client of the test's own; its bytes go out while the test's event loop
// runs, as the receiver on the same thread reads them.
void sendRaw(QLocalSocket& client, const QString& socketPath, const QByteArray& bytes) {
    client.connectToServer(socketPath);
    QVERIFY(client.waitForConnected(2000));
    client.write(bytes);
    client.flush();
}

}  // namespace

class TestFolderHandOff : public QObject {
    Q_OBJECT
    QTemporaryDir runtime_;
    QString socketPath() const { return runtime_.filePath(u"Tolvane-test.socket"_s); }

private slots:
    void message_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<FolderMessageState>("state");
        QTest::addColumn<QByteArray>("folder");
        using S = FolderMessageState;
        const QByteArray whole = header(7) + "/photos";
        QTest::newRow("whole") << whole << S::Complete << QByteArray("/photos");
        QTest::newRow("not UTF-8")
            << folderMessage(fromNative(kShiftJisFolder)) << S::Complete << kShiftJisFolder;
        QTest::newRow("half the length") << whole.left(10) << S::Incomplete << QByteArray();
        QTest::newRow("half the path") << whole.left(15) << S::Incomplete << QByteArray();
        QTest::newRow("a byte too many") << whole + "x" << S::Malformed << QByteArray();
        QTest::newRow("wrong from the first byte")
            << QByteArray("G") << S::Malformed << QByteArray();
        QTest::newRow("empty path") << header(0) << S::Malformed << QByteArray();
        QTest::newRow("longer than any path")
            << header(kMaxFolderBytes + 1) << S::Malformed << QByteArray();
        QTest::newRow("relative path") << header(6) + "photos" << S::Malformed << QByteArray();
        QTest::newRow("NUL in the path")
            << header(4) + QByteArray("/a\0b", 4) << S::Malformed << QByteArray();
    }
    void message() {
        QFETCH(QByteArray, bytes);
        QFETCH(FolderMessageState, state);
        QFETCH(QByteArray, folder);
        QString read;
        QCOMPARE(readFolderMessage(bytes, &read), state);
        QCOMPARE(toNative(read), folder);
    }

    // The program's own sender, blocking on a thread of its own as a later
    // start blocks, against the receiver: the folder arrives byte for byte.
    void folderArrivesByteForByte() {
        FolderReceiver receiver(socketPath());
        QSignalSpy received(&receiver, &FolderReceiver::folderReceived);
        std::atomic<bool> taken = false;
        std::unique_ptr<QThread> sender(QThread::create(
            [&] { taken = sendFolder(socketPath(), fromNative(kShiftJisFolder), 5000); }));
        sender->start();
        QTRY_COMPARE(received.count(), 1);
        QCOMPARE(toNative(received.at(0).at(0).toString()), kShiftJisFolder);
        QTRY_VERIFY(sender->isFinished());
        QVERIFY(taken);
    }

    void refusedStreams_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("garbage") << QByteArray("GET / HTTP/1.0\r\n\r\n");
        QTest::newRow("truncated, then closed") << header(7) + "/pho";
        QTest::newRow("a megabyte") << header(kMaxFolderBytes) + '/' + QByteArray(1 << 20, 'a');
        QTest::newRow("silent after half a message") << header(7) + "/ph";
    }
    // Each is dropped (a silent one after its time), and meanwhile a later
    // start's message, sent and closed before it was even accepted, is heard.
    void refusedStreams() {
        QFETCH(QByteArray, bytes);
        FolderReceiver receiver(socketPath());
        receiver.setClientTimeout(300);
        QSignalSpy received(&receiver, &FolderReceiver::folderReceived);
        QLocalSocket bad;
        sendRaw(bad, socketPath(), bytes);
        if (!QByteArray(QTest::currentDataTag()).startsWith("silent"))
            bad.disconnectFromServer();
        QLocalSocket good;
        sendRaw(good, socketPath(), folderMessage(u"/photos"_s));
        good.disconnectFromServer();
        QTRY_COMPARE(received.count(), 1);
        QCOMPARE(received.at(0).at(0).toString(), u"/photos"_s);
        QTRY_COMPARE(receiver.clientCount(), 0);
        QTRY_COMPARE(bad.state(), QLocalSocket::UnconnectedState);
        QCOMPARE(received.count(), 1);
    }

    // As many silent clients as the receiver serves at once are kept, each
    // until its time is up; the one past them is refused at once.
    void clientsPastTheLimit() {
        FolderReceiver receiver(socketPath());
        receiver.setClientTimeout(60'000);
        std::vector<std::unique_ptr<QLocalSocket>> silent;
        for (int k = 0; k <= kMaxFolderClients; ++k) {
            silent.push_back(std::make_unique<QLocalSocket>());
            sendRaw(*silent.back(), socketPath(), header(7) + "/ph");
            QTRY_COMPARE(receiver.clientCount(), qMin(k + 1, kMaxFolderClients));
        }
        QTRY_COMPARE(silent.back()->state(), QLocalSocket::UnconnectedState);
        for (int k = 0; k < kMaxFolderClients; ++k)
            QCOMPARE(silent[size_t(k)]->state(), QLocalSocket::ConnectedState);
    }
};

QTEST_GUILESS_MAIN(TestFolderHandOff)
#include "test_folder_hand_off.moc"
