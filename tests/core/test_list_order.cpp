#include <QtTest>

#include "core/files/ListOrder.h"

// The orders the conversion list can be put in, each given as the old row of
// every new place. Serial numbers follow the list, so each decides which file
// gets which number.

namespace {

// "-x-x": rows 1 and 3 selected.
std::vector<bool> selection(const QString& rows) {
    std::vector<bool> selected;
    for (const QChar c : rows)
        selected.push_back(c == u'x');
    return selected;
}

QList<int> listed(const std::vector<int>& order) {
    return QList<int>(order.begin(), order.end());
}

}  // namespace

class TestListOrder : public QObject {
    Q_OBJECT
private slots:
    // The orders the list can be put in; -1: a file whose time could not be
    // read at all (it vanished). Offsets: each file's clock correction (none
    // when the list is empty).
    void timeOrder_data() {
        QTest::addColumn<QByteArrayList>("names");
        QTest::addColumn<QList<int>>("times");
        QTest::addColumn<QList<int>>("order");
        QTest::addColumn<QList<int>>("offsets");
        const auto row = [](const char* name, const QByteArrayList& names, const QList<int>& times,
                            const QList<int>& order, const QList<int>& offsets = {}) {
            QTest::newRow(name) << names << times << order << offsets;
        };
        row("by time", {"a", "b", "c"}, {30, 10, 20}, {1, 2, 0});
        row("equal times: natural, not byte, not list order", {"p10", "x", "P2"}, {5, 1, 5},
            {1, 2, 0});
        row("equal times, names equal but for case", {"img_1", "IMG_1"}, {0, 0}, {1, 0});
        row("unreadable last, in natural order", {"z10", "z9", "a"}, {-1, -1, 99}, {2, 1, 0});
        row("before 1970", {"new", "old"}, {1, -5000}, {1, 0});
        // A camera an hour behind (B_) shot between the other's (A_) photos.
        row("a clock an hour behind, corrected: they interleave",
            {"A_1", "A_2", "A_3", "B_1", "B_2"}, {36000, 38000, 40000, 33400, 35400},
            {0, 3, 1, 4, 2}, {0, 0, 0, 3600, 3600});
        row("corrected onto another's time: natural order", {"b", "a"}, {50, 60}, {1, 0}, {0, -10});
        row("no time stays last, whatever the offset", {"x", "y"}, {-1, 5}, {1, 0}, {-100000, 0});
    }
    void timeOrder() {
        QFETCH(QByteArrayList, names);
        QFETCH(QList<int>, times);
        QFETCH(QList<int>, order);
        QFETCH(QList<int>, offsets);
        std::vector<Shot> files;
        for (qsizetype k = 0; k < names.size(); ++k) {
            const ShootingTime time{times[k] * qint64(1000),
                                    times[k] == -1 ? TimeSource::None : TimeSource::Exif,
                                    {},
                                    offsets.value(k) * qint64(1000)};
            files.push_back(ListedFile{names[k], 0, time});
        }
        QCOMPARE(listed(::timeOrder(files)), order);
    }

    // A drag of the selected rows to stand before a row (or at the end), and
    // Alt+Up and Alt+Down: every selected row one place, past its unselected
    // neighbour; at an end of the list nothing moves, so gaps stay as they were.
    void moving_data() {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("destination");  // of a drag
        QTest::addColumn<int>("step");         // 0: a drag
        QTest::addColumn<QList<int>>("order");
        QTest::newRow("drag one row down") << "-x--" << 3 << 0 << QList<int>{0, 2, 1, 3};
        QTest::newRow("drag one row to the top") << "--x-" << 0 << 0 << QList<int>{2, 0, 1, 3};
        QTest::newRow("drag scattered rows to the end")
            << "x-x-" << 4 << 0 << QList<int>{1, 3, 0, 2};
        QTest::newRow("drag scattered rows between them")
            << "x--x" << 2 << 0 << QList<int>{1, 0, 3, 2};
        QTest::newRow("drag onto the block itself") << "-xx-" << 2 << 0 << QList<int>{0, 1, 2, 3};
        QTest::newRow("drag past the end") << "x---" << 99 << 0 << QList<int>{1, 2, 3, 0};
        QTest::newRow("drag before the start") << "---x" << -5 << 0 << QList<int>{3, 0, 1, 2};
        QTest::newRow("drag with nothing selected") << "----" << 0 << 0 << QList<int>{0, 1, 2, 3};
        QTest::newRow("drag in an empty list") << "" << 0 << 0 << QList<int>{};
        QTest::newRow("one row up") << "--x-" << 0 << -1 << QList<int>{0, 2, 1, 3};
        QTest::newRow("one row down") << "-x--" << 0 << 1 << QList<int>{0, 2, 1, 3};
        QTest::newRow("a block up") << "--xx" << 0 << -1 << QList<int>{0, 2, 3, 1};
        QTest::newRow("a block down") << "xx--" << 0 << 1 << QList<int>{2, 0, 1, 3};
        QTest::newRow("rows with a gap up") << "-x-x" << 0 << -1 << QList<int>{1, 0, 3, 2};
        QTest::newRow("rows with a gap down") << "x-x-" << 0 << 1 << QList<int>{1, 0, 3, 2};
        QTest::newRow("the first row up") << "x-x-" << 0 << -1 << QList<int>{0, 1, 2, 3};
        QTest::newRow("the last row down") << "-x-x" << 0 << 1 << QList<int>{0, 1, 2, 3};
        QTest::newRow("a step of two") << "-x--" << 0 << 2 << QList<int>{0, 1, 2, 3};
        QTest::newRow("a step in an empty list") << "" << 0 << 1 << QList<int>{};
    }
    void moving() {
        QFETCH(QString, selected);
        QFETCH(int, destination);
        QFETCH(int, step);
        const std::vector<int> order = step == 0 ? orderMovingTo(selection(selected), destination)
                                                 : orderMovingByOne(selection(selected), step);
        QTEST(listed(order), "order");
        QCOMPARE(isIdentity(order), listed(order) == QList<int>({0, 1, 2, 3}) || order.empty());
    }
};

QTEST_GUILESS_MAIN(TestListOrder)
#include "test_list_order.moc"
