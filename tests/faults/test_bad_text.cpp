#include <QtTest>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include <cerrno>

#include "Doubles.h"
#include "Inventory.h"
#include "WindowDriver.h"
#include "core/rename/RenameCommand.h"
#include "core/rename/RenameTexts.h"
#include "core/text/NativeName.h"

// Text that reaches the three boxes by pasting, past the key filter: the
// program must not crash, must not give a file a name the user did not see,
// and must say so when the run cannot go on.

namespace {

enum class Outcome {
    Refused,   // the box is emptied with the refusal message; no question asked
    BadStart,  // the start number is refused before the question
    Overflow,  // the serials would pass 32767
    TooLong,   // asked, then stopped with the error message, no file moved
    Renamed,   // asked, then every file renamed to what the boxes showed
    Dated,     // the same, each date field showing the day the file was saved
};

const QString kRefusal = "ファイル名に \\ / : , ; * ? \" < > . | は使用できません";

QString repeated(char16_t c, int n) {
    return QString(n, QChar(c));
}

}  // namespace

Q_DECLARE_METATYPE(Outcome)

class TestBadText : public QObject {
    Q_OBJECT
private slots:
    void pasted_data() {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("insert");  // QLineEdit::insert, else setText
        QTest::addColumn<Outcome>("outcome");
        using O = Outcome;
        const auto text = [](const char16_t* s, qsizetype n) { return QString::fromUtf16(s, n); };
        QTest::newRow("control character") << 0 << text(u"a\x01b", 3) << false << O::Refused;
        QTest::newRow("tab") << 0 << text(u"a\tb", 3) << true << O::Refused;
        QTest::newRow("line break") << 1 << text(u"x\ny", 3) << false << O::Refused;
        QTest::newRow("CR LF") << 1 << text(u"x\r\ny", 4) << true << O::Refused;
        QTest::newRow("NUL") << 0 << text(u"a\0b", 3) << false << O::Refused;
        QTest::newRow("NUL at the end") << 1 << text(u"x\0", 2) << true << O::Refused;
        QTest::newRow("delete character") << 0 << text(u"a\x7f", 2) << false << O::Refused;
        QTest::newRow("next-line control") << 0 << text(u"a\x85", 2) << false << O::Refused;
        QTest::newRow("line separator") << 1 << text(u"a\x2028", 2) << false << O::Refused;
        QTest::newRow("half a character") << 0 << text(u"a\xdc80", 2) << false << O::Refused;
        QTest::newRow("emoji") << 0 << QString::fromUtf8("📷旅行") << true << O::Renamed;
        QTest::newRow("emoji with joiners")
            << 1 << QString::fromUtf8("👨‍👩‍👧") << false << O::Renamed;
        QTest::newRow("full-width colon") << 0 << QStringLiteral("旅：") << false << O::Renamed;
        QTest::newRow("100 kana") << 0 << repeated(u'ア', 100) << false << O::TooLong;
        QTest::newRow("101 kana, cut to 100") << 1 << repeated(u'ア', 101) << false << O::TooLong;
        // A date field counts whole, or its brackets are refused as ever.
        QTest::newRow("date field") << 0 << QStringLiteral("<年月日>_") << false << O::Dated;
        QTest::newRow("dashed date field")
            << 1 << QStringLiteral("_<年-月-日>") << true << O::Dated;
        QTest::newRow("field not closed") << 0 << QStringLiteral("<年月日") << true << O::Refused;
        QTest::newRow("field closed twice")
            << 1 << QStringLiteral("<年月日>>") << false << O::Refused;
        // The limit counts the date as written (8 bytes), not the field as typed (11).
        QTest::newRow("80 kana and a field: 253 bytes")
            << 0 << repeated(u'ア', 80) + QStringLiteral("<年月日>") << false << O::Dated;
        QTest::newRow("81 kana and a field: 256 bytes")
            << 0 << repeated(u'ア', 81) + QStringLiteral("<年月日>") << false << O::TooLong;
        // The start number box takes digits only, pasted or typed: what is no
        // digit never reaches it, and full-width digits count as digits.
        QTest::newRow("full-width digits") << 2 << QStringLiteral("１２") << false << O::Renamed;
        QTest::newRow("blank before the number") << 2 << QStringLiteral(" 1") << true << O::Renamed;
        QTest::newRow("sign") << 2 << QStringLiteral("-1") << false << O::Renamed;
        QTest::newRow("fraction") << 2 << QStringLiteral("1.5") << false << O::Renamed;
        QTest::newRow("exponent") << 2 << QStringLiteral("1e3") << false << O::Renamed;
        QTest::newRow("NUL after the number") << 2 << text(u"1\0", 2) << false << O::Renamed;
        QTest::newRow("nothing but signs") << 2 << QStringLiteral("-.") << true << O::BadStart;
        QTest::newRow("empty") << 2 << QString() << false << O::BadStart;
        QTest::newRow("above 32767") << 2 << QStringLiteral("99999") << false << O::Overflow;
        QTest::newRow("six digits, cut to five")
            << 2 << QStringLiteral("123456") << false << O::Renamed;
    }

    void pasted() {
        QFETCH(int, box);
        QFETCH(QString, text);
        QFETCH(bool, insert);
        QFETCH(Outcome, outcome);

        QTemporaryDir dir;
        const QByteArray root = QFile::encodeName(dir.path()) + '/';
        const QByteArrayList entries{"a.jpg", "b.jpg"};
        for (int k = 0; k < entries.size(); ++k)
            writeWhole(root + entries[k], photoBytes(entries[k], k));

        ScriptedMessageBox boxes;
        MainWindow w;
        MainWindowDriver d(w);
        QCOMPARE(w.openFolder(dir.path()), FolderAccess::Opened);
        QLineEdit* edit = box == 0 ? d.prefix() : box == 1 ? d.suffix() : d.startNumber();
        if (box == 2)
            edit->clear();
        if (insert)
            edit->insert(text);
        else
            edit->setText(text);
        // What the user sees in the boxes when pressing the button.
        const QString prefix = d.prefix()->text();
        const QString suffix = d.suffix()->text();
        const QString start = d.startNumber()->text();
        // The files carry no Exif: a field shows the day each was saved.
        QStringList savedDays;
        for (const QByteArray& entry : entries)
            savedDays
                << QFileInfo(QFile::decodeName(root + entry)).lastModified().toString("yyyyMMdd");
        d.convert();

        std::vector<Photo> photos;
        QStringList expectedNames;
        for (int k = 0; k < entries.size(); ++k) {
            // The names the boxes showed, serials as wide as the typed number.
            const QString serial =
                QString::number(start.toInt() + k).rightJustified(start.size(), u'0');
            QString name = prefix + serial + suffix + QStringLiteral(".jpg");
            const QString day = savedDays[k];
            name.replace(QStringLiteral("<年月日>"), day)
                .replace(QStringLiteral("<年-月-日>"),
                         day.left(4) + u'-' + day.mid(4, 2) + u'-' + day.right(2));
            expectedNames << name;
            const bool renamed = outcome == Outcome::Renamed || outcome == Outcome::Dated;
            const QByteArray newPath = renamed ? toNative(name) : entries[k];
            photos.push_back({photoBytes(entries[k], k), entries[k], newPath});
        }
        VERIFY_ACCOUNTED_FOR(inventory(root), photos);

        QStringList prompts = boxes.texts();
        switch (outcome) {
            case Outcome::Refused:
                QCOMPARE(prompts, QStringList{kRefusal});
                QVERIFY(edit->text().isEmpty());
                break;
            case Outcome::BadStart:
                QCOMPARE(prompts, QStringList{QStringLiteral("開始番号を正しく入力してください.")});
                break;
            case Outcome::Overflow:
                QCOMPARE(prompts,
                         QStringList{QStringLiteral("連番が32767を超えるため処理できません.")});
                break;
            case Outcome::TooLong:
                QCOMPARE(prompts.size(), 2);
                // Which entry, its new name, why, and that nothing was renamed.
                QCOMPARE(prompts[1], QStringLiteral("エラーによって処理できませんでした.\r\n\r\n"
                                                    "a.jpg → ") +
                                         expectedNames[0] +
                                         QStringLiteral("\r\n名前が長すぎます"
                                                        "\r\nファイルは変換していません."));
                break;
            case Outcome::Renamed:
            case Outcome::Dated:
                QCOMPARE(prompts.size(), 1);
                // The question named the text the files now carry.
                QVERIFY(prompts[0].contains(box == 0 ? prefix : suffix));
                QCOMPARE(movedCount(inventory(root), photos), int(entries.size()));
                QCOMPARE(d.conversionList()->count(), int(entries.size()));
                for (int k = 0; k < entries.size(); ++k)
                    QCOMPARE(d.conversionList()->text(k), expectedNames[k]);
                break;
        }
    }

    // The engine's own guard, for callers that do not go through the window's
    // checks: a name it cannot give exactly as built moves no file at all.
    void engineRefusesNamesItCannotGive_data() {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("entry");  // the line that names the entry refused
        const QString badCharacter = QStringLiteral("名前に使えない文字があります");
        QTest::newRow("NUL") << QString::fromUtf16(u"a\0b", 3) << QString() << EINVAL
                             << badCharacter << "a.jpg";
        QTest::newRow("separator")
            << QString() << QStringLiteral("/../x") << EINVAL << badCharacter << "a.jpg";
        QTest::newRow("too long") << repeated(u'写', 85) << QString() << ENAMETOOLONG
                                  << QStringLiteral("名前が長すぎます")
                                  << "a.jpg → " + repeated(u'写', 85) + "1.jpg";
    }
    void engineRefusesNamesItCannotGive() {
        QFETCH(QString, prefix);
        QFETCH(QString, suffix);
        QTemporaryDir dir;
        const QByteArray root = QFile::encodeName(dir.path()) + '/';
        std::vector<Photo> photos;
        RenameRequest request;
        request.folder = dir.path();
        request.destination = dir.path();
        request.startNumber = QStringLiteral("1");
        request.prefix = prefix;
        request.suffix = suffix;
        for (const QByteArray entry : {"a.jpg", "b.jpg"}) {
            writeWhole(root + entry, entry);
            photos.push_back({entry, entry, entry});
            request.shots.push_back(ListedFile{entry, 0, {}});
        }
        PosixFileSystem fs;
        const RenamePlan plan = RenamePlan::make(request, fs);
        const RenameOutcome outcome = renameAll(plan, fs);
        QFETCH(int, error);
        QVERIFY(outcome == RenameOutcome(PlanRefusal{StopReason::UnfitName, 0, error}));
        QCOMPARE(stopNumber(outcome), 75);
        QFETCH(QString, reason);
        QFETCH(QString, entry);
        QCOMPARE(stopMessage(plan, outcome)->text,
                 QStringLiteral("エラーによって処理できませんでした.\r\n\r\n") + entry +
                     QStringLiteral("\r\n") + reason +
                     QStringLiteral("\r\nファイルは変換していません."));
        VERIFY_ACCOUNTED_FOR(inventory(root), photos);
    }
};

QTEST_MAIN(TestBadText)
#include "test_bad_text.moc"
