#include <QtTest>

// The include rule the test command holds the tree to (tools/check-includes.sh):
// the core never includes the window side, and no two folders include each
// other. Each row is a small tree of its own, so the check is seen to fail
// where it must, and the program's own tree is the last row.

namespace {

using Tree = QMap<QString, QString>;  // path below src -> the file's include lines

QString inc(const char* target) {
    return QStringLiteral("#include \"%1\"\n").arg(QLatin1String(target));
}

}  // namespace

class TestIncludeRule : public QObject {
    Q_OBJECT
private slots:
    void rule_data() {
        QTest::addColumn<Tree>("tree");       // empty: the program's own src/
        QTest::addColumn<QString>("breach");  // what the check names; empty: it passes
        QTest::newRow("one way down")
            << Tree{{"core/rename/A.cpp", inc("core/files/B.h") + inc("core/common/C.h")},
                    {"core/files/B.cpp", inc("core/common/C.h") + inc("B.h")},
                    {"ui/windows/W.cpp", inc("core/rename/A.h") + inc("ui/controls/L.h")}}
            << QString();
        QTest::newRow("core includes ui") << Tree{{"core/files/B.cpp", inc("ui/controls/L.h")}}
                                          << "core/files/B.cpp includes ui/controls/L.h";
        QTest::newRow("two core folders, each way")
            << Tree{{"core/files/P.cpp", inc("core/rename/J.h")},
                    {"core/rename/V.cpp", inc("core/files/L.h")}}
            << "core/files and core/rename include each other";
        QTest::newRow("two ui folders, each way, in headers")
            << Tree{{"ui/windows/W.h", inc("ui/controls/L.h")},
                    {"ui/controls/L.h", inc("ui/windows/W.h")}}
            << "ui/controls and ui/windows include each other";
        QTest::newRow("a file at the top of the core and a folder below it")
            << Tree{{"core/T.h", inc("core/text/N.h")},
                    {"core/text/N.cpp", "  #  include \"core/T.h\"\n"}}
            << "core and core/text include each other";
        QTest::newRow("the program's own tree") << Tree{} << QString();
    }
    void rule() {
        QFETCH(Tree, tree);
        QFETCH(QString, breach);
        QTemporaryDir dir;
        QString src = QStringLiteral(TOLVANE_SOURCE_DIR "/src");
        if (!tree.isEmpty()) {
            src = dir.path();
            for (auto it = tree.cbegin(); it != tree.cend(); ++it) {
                QVERIFY(QDir(src).mkpath(QFileInfo(it.key()).path()));
                QFile file(src + u'/' + it.key());
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write(it.value().toUtf8());
            }
        }
        QProcess check;
        check.start(QStringLiteral("bash"),
                    {QStringLiteral(TOLVANE_SOURCE_DIR "/tools/check-includes.sh"), src});
        QVERIFY(check.waitForFinished(60000));
        const QString said = QString::fromUtf8(check.readAllStandardError());
        QCOMPARE(check.exitCode(), breach.isEmpty() ? 0 : 1);
        QVERIFY2(breach.isEmpty() ? said.isEmpty() : said.contains(breach), qPrintable(said));
    }
};

QTEST_GUILESS_MAIN(TestIncludeRule)
#include "test_include_rule.moc"
