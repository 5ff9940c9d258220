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
        QTest::newRow("by time") << QByteArrayList{"a", "b", "c"} << QList<int>{30, 10, 20}
                                 << QList<int>{1, 2, 0} << QList<int>{};
        QTest::newRow("equal times: natural, not byte, not list order")
            << QByteArrayList{"p10", "x", "P2"} << QList<int>{5, 1, 5} << QList<int>{1, 2, 0}
            << QList<int>{};
        QTest::newRow("equal times, names equal but for case")
            << QByteArrayList{"img_1", "IMG_1"} << QList<int>{0, 0} << QList<int>{1, 0}
            << QList<int>{};
        QTest::newRow("unreadable last, in natural order")
            << QByteArrayList{"z10", "z9", "a"} << QList<int>{-1, -1, 99} << QList<int>{2, 1, 0}
            << QList<int>{};
        QTest::newRow("before 1970") << QByteArrayList{"new", "old"} << QList<int>{1, -5000}
                                     << QList<int>{1, 0} << QList<int>{};
        // A camera an hour behind (B_) shot between the other's (A_) photos.
        QTest::newRow("a clock an hour behind, corrected: they interleave")
            << QByteArrayList{"A_1", "A_2", "A_3", "B_1", "B_2"}
            << QList<int>{36000, 38000, 40000, 33400, 35400} << QList<int>{0, 3, 1, 4, 2}
            << QList<int>{0, 0, 0, 3600, 3600};
        QTest::newRow("corrected onto another's time: natural order")
            << QByteArrayList{"b", "a"} << QList<int>{50, 60} << QList<int>{1, 0}
            << QList<int>{0, -10};
        QTest::newRow("no time stays last, whatever the offset")
            << QByteArrayList{"x", "y"} << QList<int>{-1, 5} << QList<int>{1, 0}
            << QList<int>{-100000, 0};
    }
    void timeOrder() {
        QFETCH(QByteArrayList, names);
        QFETCH(QList<int>, times);
        QFETCH(QList<int>, order);
        QFETCH(QList<int>, offsets);
        std::vector<Shot> files;
        for (qsizetype k = 0; k < names.size(); ++k) {
            ShootingTime time;
            time.localMsecs = times[k] * qint64(1000);
            time.source = times[k] == -1 ? TimeSource::None : TimeSource::Exif;
            time.clockOffsetMsecs = offsets.isEmpty() ? 0 : offsets[k] * qint64(1000);
            files.push_back(ListedFile{names[k], 0, time});
        }
        const std::vector<int> got = ::timeOrder(files);
        QCOMPARE(QList<int>(got.begin(), got.end()), order);
    }

    // A drag of the selected rows to stand before a row (or at the end).
    void movingTo_data() {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("destination");
        QTest::addColumn<QList<int>>("order");
        QTest::newRow("one row down") << "-x--" << 3 << QList<int>{0, 2, 1, 3};
        QTest::newRow("one row to the top") << "--x-" << 0 << QList<int>{2, 0, 1, 3};
        QTest::newRow("scattered rows gathered at the end")
            << "x-x-" << 4 << QList<int>{1, 3, 0, 2};
        QTest::newRow("scattered rows gathered between them")
            << "x--x" << 2 << QList<int>{1, 0, 3, 2};
        QTest::newRow("dropped on the block itself") << "-xx-" << 2 << QList<int>{0, 1, 2, 3};
        QTest::newRow("past the end") << "x---" << 99 << QList<int>{1, 2, 3, 0};
        QTest::newRow("before the start") << "---x" << -5 << QList<int>{3, 0, 1, 2};
        QTest::newRow("nothing selected") << "----" << 0 << QList<int>{0, 1, 2, 3};
        QTest::newRow("empty list") << "" << 0 << QList<int>{};
    }
    void movingTo() {
        QFETCH(QString, selected);
        QFETCH(int, destination);
        QTEST(listed(orderMovingTo(selection(selected), destination)), "order");
    }

    // Alt+Up and Alt+Down: every selected row one place, past its unselected
    // neighbour; at an end of the list nothing moves, so gaps stay as they were.
    void movingByOne_data() {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("step");
        QTest::addColumn<QList<int>>("order");
        QTest::newRow("one row up") << "--x-" << -1 << QList<int>{0, 2, 1, 3};
        QTest::newRow("one row down") << "-x--" << 1 << QList<int>{0, 2, 1, 3};
        QTest::newRow("a block up") << "--xx" << -1 << QList<int>{0, 2, 3, 1};
        QTest::newRow("a block down") << "xx--" << 1 << QList<int>{2, 0, 1, 3};
        QTest::newRow("rows with a gap up") << "-x-x" << -1 << QList<int>{1, 0, 3, 2};
        QTest::newRow("rows with a gap down") << "x-x-" << 1 << QList<int>{1, 0, 3, 2};
        QTest::newRow("the first row up") << "x-x-" << -1 << QList<int>{0, 1, 2, 3};
        QTest::newRow("the last row down") << "-x-x" << 1 << QList<int>{0, 1, 2, 3};
        QTest::newRow("a step of two") << "-x--" << 2 << QList<int>{0, 1, 2, 3};
        QTest::newRow("empty list") << "" << 1 << QList<int>{};
    }
    void movingByOne() {
        QFETCH(QString, selected);
        QFETCH(int, step);
        const std::vector<int> order = orderMovingByOne(selection(selected), step);
        QTEST(listed(order), "order");
        QCOMPARE(isIdentity(order), listed(order) == QList<int>({0, 1, 2, 3}) || order.empty());
    }
};

QTEST_GUILESS_MAIN(TestListOrder)
#include "test_list_order.moc"
