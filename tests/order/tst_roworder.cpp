#include "order/DropPlan.h"
#include "order/MovePlan.h"
#include "order/SortKey.h"
#include "platform/WindowTypes.h"

#include <QTest>

using namespace quorvel;

enum Move { Up = -1, Down = -2 };

class TestRowOrder : public QObject {
    Q_OBJECT

private slots:
    // Six rows; the plans must look at the selected bit only.
    void plans_data() {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<int>("gap"); // the drop line, or a button
        QTest::addColumn<QList<int>>(
            "order"); // new row i holds old row order[i]; empty: none moved
        QTest::addColumn<int>("focusRow");
        QTest::newRow("drop of scattered rows above the first of them")
            << QList<int>{1, 3, 5} << 1 << QList<int>{0, 1, 3, 5, 2, 4} << -1;
        QTest::newRow("drop of scattered rows inside them")
            << QList<int>{0, 2, 5} << 4 << QList<int>{1, 3, 0, 2, 5, 4} << -1;
        QTest::newRow("a block onto its own top line")
            << QList<int>{2, 3} << 2 << QList<int>{} << -1;
        QTest::newRow("up: row 0 stays, the focus on the last row moved")
            << QList<int>{0, 2, 3} << int(Up) << QList<int>{0, 2, 3, 1, 4, 5} << 2;
        QTest::newRow("down: the focus on the first row moved")
            << QList<int>{0, 2, 3} << int(Down) << QList<int>{1, 0, 4, 2, 3, 5} << 1;
    }
    void plans() {
        QFETCH(QList<int>, selected);
        QFETCH(int, gap);
        QFETCH(QList<int>, order);
        QFETCH(int, focusRow);
        std::vector<std::uint8_t> states(6, LVIS_FOCUSED);
        for (int r : selected)
            states[std::size_t(r)] = LVIS_SELECTED;
        const MovePlan plan = gap == Up     ? PlanMoveUp(states)
                              : gap == Down ? PlanMoveDown(states)
                                            : PlanDrop(states, std::size_t(gap));
        QCOMPARE(plan.moved ? QList<int>(plan.order.begin(), plan.order.end()) : QList<int>(),
                 order);
        QCOMPARE(int(plan.focusRow), focusRow);
    }

    void sortedKeys_data() {
        QTest::addColumn<QByteArrayList>("names"); // as listed
        QTest::addColumn<QByteArrayList>("sorted");
        using L = QByteArrayList;
        QTest::newRow("A and Z fold, the bytes around them do not")
            << L{"{", "z", "Z", "`", "[", "a", "A", "@"}
            << L{"@", "[", "`", "a", "A", "z", "Z", "{"};
        // Long enough that a sort which is not stable would not keep them so.
        L ties, kept, b;
        for (int i = 0; i < 12; ++i)
            ties << "b"
                 << "a"
                 << "A"
                 << "B",
                kept << "a"
                     << "A",
                b << "b"
                  << "B";
        QTest::newRow("ties of a long list keep their order") << ties << kept + b;
    }
    void sortedKeys() {
        QFETCH(QByteArrayList, names);
        QFETCH(QByteArrayList, sorted);
        SortKeyMaker maker;
        SortKeys keys;
        for (const QByteArray& name : names)
            keys.Add(maker(name.toStdString()));
        QByteArrayList got;
        for (std::uint32_t row : SortedOrder(keys, true))
            got << names[qsizetype(row)];
        QCOMPARE(got, sorted);
    }
};

QTEST_GUILESS_MAIN(TestRowOrder)
#include "tst_roworder.moc"
