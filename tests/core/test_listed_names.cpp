#include <QtTest>

#include <QTemporaryDir>

#include <cstring>

#include "core/files/FileListing.h"
#include "core/text/NaturalOrder.h"

// The listed names share a few memory blocks instead of one allocation each.
// Each name must still behave as a QByteArray of its own: outlive the list
// and its neighbours, end in a NUL for the system calls, and change without
// changing any other name.
class TestListedNames : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QByteArrayList expected_;

    int error_ = 0;

    std::vector<QByteArray> list() {
        std::vector<QByteArray> names;
        for (ListedFile& file :
             listMatchingFiles(QFile::encodeName(dir_.path()), PatternSet("*.jpg"), &error_))
            names.push_back(std::move(file.name));
        return names;
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        // Enough names, some long, to fill several blocks.
        for (int n = 1; n <= 3000; ++n) {
            QByteArray name = "IMG_" + QByteArray::number(n);
            if (n % 500 == 0)
                name += QByteArray(200, 'x');
            name += ".jpg";
            QFile file(dir_.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            expected_ << name;
        }
        std::sort(expected_.begin(), expected_.end(), [](const QByteArray& a, const QByteArray& b) {
            return naturalLess(std::string_view(a.constData(), size_t(a.size())),
                               std::string_view(b.constData(), size_t(b.size())));
        });
    }

    void namesAreWholeAndTerminated() {
        const std::vector<QByteArray> names = list();
        QCOMPARE(error_, 0);
        QCOMPARE(qsizetype(names.size()), expected_.size());
        for (size_t k = 0; k < names.size(); ++k) {
            QCOMPARE(names[k], expected_[qsizetype(k)]);
            QCOMPARE(std::strlen(names[k].constData()), size_t(names[k].size()));
        }
    }

    void namesOutliveTheirNeighbours() {
        // Two names that lie next to each other in one block, and nothing
        // else of the listing left.
        QByteArray before, after;
        {
            const std::vector<QByteArray> names = list();
            QCOMPARE(error_, 0);
            for (const QByteArray& a : names) {
                for (const QByteArray& b : names) {
                    if (b.constData() == a.constData() + a.size() + 1) {
                        before = a;
                        after = b;
                    }
                }
                if (!before.isNull())
                    break;
            }
        }
        QVERIFY(!before.isNull());
        const QByteArray afterText(after.constData(), after.size());  // a copy of its own
        // Growing the first must not run over the second.
        before.append("-renamed");
        QCOMPARE(after, afterText);
        QCOMPARE(std::strlen(after.constData()), size_t(after.size()));
        QVERIFY(before.endsWith("-renamed"));
        // The last holder of a block may grow, and keeps its text.
        after.append(QByteArray(5000, 'y'));
        QCOMPARE(after, afterText + QByteArray(5000, 'y'));
    }

    void changingOneNameLeavesTheOthers() {
        std::vector<QByteArray> names = list();
        QCOMPARE(error_, 0);
        const std::vector<QByteArray> kept = names;
        for (QByteArray& name : names) {
            name.append("!");
            name[0] = 'J';
        }
        for (size_t k = 0; k < kept.size(); ++k) {
            QCOMPARE(kept[k], expected_[qsizetype(k)]);
            QCOMPARE(names[k], "J" + expected_[qsizetype(k)].mid(1) + "!");
        }
    }

    void failedListingHoldsNothing() {
        int error = 0;
        const std::vector<ListedFile> names = listMatchingFiles(
            QFile::encodeName(dir_.path() + QStringLiteral("/missing")), PatternSet("*"), &error);
        QVERIFY(error != 0);
        QVERIFY(names.empty());
    }
};

QTEST_APPLESS_MAIN(TestListedNames)
#include "test_listed_names.moc"
