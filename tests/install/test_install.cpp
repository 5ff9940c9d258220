#include <QtTest>

#include <csignal>

using namespace Qt::StringLiterals;

// What `cmake --install` lays out, checked as a desktop and a user would meet
// it: every file where the desktop looks, the validators the desktop's own
// tools apply, and the installed program started from there.

namespace {

const QString kAppId = u"io.github.tolvane.Tolvane"_s;

// Runs a program to its end; its output, or a failure naming what it said.
struct Run {
    int exitCode = -1;
    QString output;
};
Run run(const QString& program, const QStringList& arguments,
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Run result;
    if (!process.waitForStarted(10000) || !process.waitForFinished(120000)) {
        result.output = program + u" did not run: "_s + process.errorString();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = QString::fromUtf8(process.readAll());
    return result;
}

// The key's value in a desktop entry's main group.
QString desktopValue(const QString& path, const QString& key) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    for (const QString& line : lines) {
        if (line.startsWith(key + u'='))
            return line.mid(key.size() + 1);
    }
    return {};
}

}  // namespace

class TestInstall : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;
    QString m_prefix;

    QString installed(const QString& relative) const { return m_prefix + u'/' + relative; }

    // A home of its own for the installed program: nothing of the user's
    // settings is read or written, and its single-copy lock is its own.
    QProcessEnvironment userEnvironment(const QString& home) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"HOME"_s, home);
        environment.insert(u"XDG_CONFIG_HOME"_s, home + u"/.config"_s);
        environment.insert(u"XDG_RUNTIME_DIR"_s, home + u"/run"_s);
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        return environment;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        m_prefix = m_root.filePath(u"usr"_s);
        const Run install =
            run(QStringLiteral(TOLVANE_CMAKE),
                {u"--install"_s, QStringLiteral(TOLVANE_BUILD_DIR), u"--prefix"_s, m_prefix});
        QVERIFY2(install.exitCode == 0, qPrintable(install.output));
    }

    void layout_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("program") << u"bin/tolvane"_s;
        QTest::newRow("usage document") << u"share/tolvane/readme.html"_s;
        QTest::newRow("licence") << u"share/doc/tolvane/copyright"_s;
        QTest::newRow("change log") << u"share/doc/tolvane/changelog.gz"_s;
        QTest::newRow("manual page") << u"share/man/man1/tolvane.1.gz"_s;
        QTest::newRow("Japanese manual page") << u"share/man/ja/man1/tolvane.1.gz"_s;
        QTest::newRow("menu entry") << u"share/applications/%1.desktop"_s.arg(kAppId);
        QTest::newRow("metadata") << u"share/metainfo/%1.metainfo.xml"_s.arg(kAppId);
        QTest::newRow("scalable icon") << u"share/icons/hicolor/scalable/apps/tolvane.svg"_s;
        for (const int size : {16, 32, 48, 128, 256}) {
            QTest::addRow("%dpx icon", size)
                << u"share/icons/hicolor/%1x%1/apps/tolvane.png"_s.arg(size);
        }
    }
    void layout() {
        QFETCH(QString, path);
        QVERIFY2(QFileInfo(installed(path)).isFile(), qPrintable(path));
        if (path.endsWith(u".png"_s)) {
            // Each size is drawn at its own size, not one picture scaled.
            const QString size = path.section(u'/', 3, 3).section(u'x', 0, 0);
            QImage image(installed(path));
            QCOMPARE(image.width(), size.toInt());
            QCOMPARE(image.height(), size.toInt());
        }
    }

    void nothingElseBesideTheProgram() {
        // Tests, benchmarks and the usage document stay out of bin/.
        QCOMPARE(QDir(installed(u"bin"_s)).entryList(QDir::Files), QStringList{u"tolvane"_s});
    }

    void menuEntryValidates() {
        const QString entry = installed(u"share/applications/%1.desktop"_s.arg(kAppId));
        const Run check = run(u"desktop-file-validate"_s, {entry});
        QVERIFY2(check.exitCode == 0, qPrintable(check.output));
        // Warnings pass the exit code but are faults all the same.
        QVERIFY2(!check.output.contains(u"error"_s) && !check.output.contains(u"warning"_s),
                 qPrintable(check.output));
    }

    void metadataValidates() {
        const QString metainfo = installed(u"share/metainfo/%1.metainfo.xml"_s.arg(kAppId));
        const Run check = run(u"appstreamcli"_s, {u"validate"_s, u"--no-net"_s, metainfo});
        QVERIFY2(check.exitCode == 0, qPrintable(check.output));
    }

    // The files name each other; a rename of one must not orphan another.
    void filesAgree() {
        const QString entry = installed(u"share/applications/%1.desktop"_s.arg(kAppId));
        const QStringList exec = desktopValue(entry, u"Exec"_s).split(u' ');
        QVERIFY(QFileInfo(installed(u"bin/"_s) + exec.front()).isExecutable());
        // A file manager offers the program for a folder ("Open with"), and
        // passes the one folder chosen.
        QCOMPARE(exec.mid(1), QStringList{u"%f"_s});
        QVERIFY(desktopValue(entry, u"MimeType"_s).split(u';').contains(u"inode/directory"_s));
        const QString icon = desktopValue(entry, u"Icon"_s);
        QVERIFY(
            QFileInfo::exists(installed(u"share/icons/hicolor/scalable/apps/%1.svg"_s.arg(icon))));
        // A Japanese desktop shows the entry in Japanese.
        for (const QString& key : {u"Name[ja]"_s, u"GenericName[ja]"_s, u"Comment[ja]"_s})
            QVERIFY2(!desktopValue(entry, key).isEmpty(), qPrintable(key));
        // The window's class is the program's name, which the menu entry
        // names so that the desktop groups the window under its entry.
        QCOMPARE(desktopValue(entry, u"StartupWMClass"_s), u"Tolvane"_s);

        QFile metainfo(installed(u"share/metainfo/%1.metainfo.xml"_s.arg(kAppId)));
        QVERIFY(metainfo.open(QIODevice::ReadOnly));
        const QString xml = QString::fromUtf8(metainfo.readAll());
        QVERIFY(
            xml.contains(u"<launchable type=\"desktop-id\">%1.desktop</launchable>"_s.arg(kAppId)));
        QVERIFY(xml.contains(u"<mediatype>inode/directory</mediatype>"_s));
        // The screenshot it shows is one the repository holds.
        static const QRegularExpression image(u"<image>[^<]*/raw/main/([^<]+)</image>"_s);
        const QRegularExpressionMatch match = image.match(xml);
        QVERIFY(match.hasMatch());
        QVERIFY2(QFileInfo::exists(QStringLiteral(TOLVANE_SOURCE_DIR "/") + match.captured(1)),
                 qPrintable(match.captured(1)));
    }

    void installedProgramFindsItsFiles() {
        QTemporaryDir home;
        const Run help =
            run(installed(u"bin/tolvane"_s), {u"--help"_s}, userEnvironment(home.path()));
        QCOMPARE(help.exitCode, 0);
        QVERIFY2(help.output.contains(u"tolvane [フォルダー]"_s), qPrintable(help.output));
        QVERIFY2(
            help.output.contains(u"使い方の説明: "_s + installed(u"share/tolvane/readme.html"_s)),
            qPrintable(help.output));
        QVERIFY2(help.output.contains(u"設定ファイル: "_s + home.path() +
                                      u"/.config/Tolvane/Tolvane.ini"_s),
                 qPrintable(help.output));
    }

    // The installed program starts offscreen, and when the session ends it
    // stores its settings in the user's configuration folder, never in bin/,
    // although bin/ is writable here.
    void installedProgramRunsAndStoresSettingsForTheUser() {
        QTemporaryDir home;
        QVERIFY(QDir(home.path()).mkpath(u"run"_s));
        QFile::setPermissions(home.filePath(u"run"_s), QFileDevice::ReadOwner |
                                                           QFileDevice::WriteOwner |
                                                           QFileDevice::ExeOwner);
        QVERIFY(QDir(home.path()).mkpath(u"photos"_s));
        const QString photos = home.filePath(u"photos"_s);

        QProcess program;
        program.setProcessEnvironment(userEnvironment(home.path()));
        program.setWorkingDirectory(photos);
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(installed(u"bin/tolvane"_s), {});
        QVERIFY(program.waitForStarted(10000));
        // The single-copy lock is taken once the program can answer a signal.
        QTRY_VERIFY_WITH_TIMEOUT(
            !QDir(home.filePath(u"run"_s)).entryList({u"*.lock"_s}, QDir::Files).isEmpty(), 20000);
        QVERIFY(program.state() == QProcess::Running);

        ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);

        QFile settings(home.filePath(u".config/Tolvane/Tolvane.ini"_s));
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QVERIFY2(QString::fromUtf8(settings.readAll()).contains(u"パス="_s + photos),
                 qPrintable(settings.fileName()));
        QVERIFY(!QFileInfo::exists(installed(u"bin/Tolvane.ini"_s)));
    }
};

QTEST_MAIN(TestInstall)
#include "test_install.moc"
