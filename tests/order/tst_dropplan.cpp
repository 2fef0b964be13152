#include "order/DropPlan.h"
#include "platform/WindowTypes.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

using namespace quorvel;

namespace {

struct Row {
    QString text;
    std::uint8_t state;
    bool operator==(const Row&) const = default;
};
using Rows = QList<Row>;

// Where the drop line goes for a given selection; above and below take in the top and the end.
enum class Place { AboveSelection, InsideSelection, BelowSelection };

// The drop as single moves: each selected row in turn, top down, is taken out and put back
// right above the first unselected row that stood below the line (or at the end), keeping its
// texts and its state.
Rows ByRepeatedSingleMoves(Rows rows, int gap) {
    const auto anchor = std::find_if(rows.begin() + gap, rows.end(),
                                     [](const Row& r) { return !(r.state & LVIS_SELECTED); });
    const QString anchorText = anchor == rows.end() ? QString() : anchor->text;
    QStringList selected;
    for (const Row& r : rows)
        if (r.state & LVIS_SELECTED)
            selected << r.text;
    for (const QString& text : selected) {
        const auto from =
            std::find_if(rows.begin(), rows.end(), [&](const Row& r) { return r.text == text; });
        const Row row = *from;
        rows.erase(from);
        const auto to = std::find_if(rows.begin(), rows.end(),
                                     [&](const Row& r) { return r.text == anchorText; });
        rows.insert(to, row);
    }
    return rows;
}

// The plan applied as the window applies it.
Rows Planned(const Rows& rows, int gap, bool* moved = nullptr) {
    std::vector<std::uint8_t> states;
    for (const Row& r : rows)
        states.push_back(r.state);
    const MovePlan plan = PlanDrop(states, std::size_t(gap));
    if (moved)
        *moved = plan.moved;
    if (!plan.moved)
        return rows;
    Rows after;
    for (const std::uint32_t from : plan.order)
        after << rows.at(qsizetype(from));
    return after;
}

Rows Make(int count, const QList<int>& selected, int focus) {
    Rows rows;
    for (int i = 0; i < count; ++i)
        rows << Row{QStringLiteral("r%1").arg(i),
                    std::uint8_t((selected.contains(i) ? LVIS_SELECTED : 0) |
                                 (i == focus ? LVIS_FOCUSED : 0))};
    return rows;
}

QStringList Texts(const Rows& rows) {
    QStringList texts;
    for (const Row& r : rows)
        texts << r.text;
    return texts;
}

} // namespace

class TestDropPlan : public QObject {
    Q_OBJECT

private slots:
    void drop_Should_LandTheSelectionAsOneBlock_When_WorkedByHand_data() {
        QTest::addColumn<QList<int>>("selected"); // of rows r0..r5
        QTest::addColumn<int>("gap");
        QTest::addColumn<QStringList>("order");
        QTest::addColumn<bool>("moved");
        QTest::newRow("one row to the top")
            << QList<int>{3} << 0 << QStringList{"r3", "r0", "r1", "r2", "r4", "r5"} << true;
        QTest::newRow("scattered rows above the first of them")
            << QList<int>{1, 3, 5} << 1 << QStringList{"r0", "r1", "r3", "r5", "r2", "r4"} << true;
        QTest::newRow("scattered rows inside them")
            << QList<int>{0, 2, 5} << 4 << QStringList{"r1", "r3", "r0", "r2", "r5", "r4"} << true;
        QTest::newRow("a block onto its own top line")
            << QList<int>{2, 3} << 2 << QStringList{"r0", "r1", "r2", "r3", "r4", "r5"} << false;
        QTest::newRow("nothing selected")
            << QList<int>{} << 0 << QStringList{"r0", "r1", "r2", "r3", "r4", "r5"} << false;
        QTest::newRow("a gap past the end is the end")
            << QList<int>{0} << 99 << QStringList{"r1", "r2", "r3", "r4", "r5", "r0"} << true;
    }
    void drop_Should_LandTheSelectionAsOneBlock_When_WorkedByHand() {
        QFETCH(QList<int>, selected);
        QFETCH(int, gap);
        QFETCH(QStringList, order);
        QFETCH(bool, moved);
        const Rows rows = Make(6, selected, selected.isEmpty() ? -1 : selected.last());
        bool planMoved = false;
        QCOMPARE(Texts(Planned(rows, gap, &planMoved)), order);
        QCOMPARE(planMoved, moved);
    }

    void drop_Should_MatchRepeatedSingleMoves_When_SelectionIsRandom_data() {
        QTest::addColumn<Place>("place");
        QTest::newRow("above the selection") << Place::AboveSelection;
        QTest::newRow("inside the selection") << Place::InsideSelection;
        QTest::newRow("below the selection") << Place::BelowSelection;
    }
    void drop_Should_MatchRepeatedSingleMoves_When_SelectionIsRandom() {
        QFETCH(Place, place);
        QRandomGenerator random(20240611u + uint(place));
        for (int round = 0; round < 2000; ++round) {
            const int count = random.bounded(1, 41);
            QList<int> selected;
            for (int i = 0; i < count; ++i)
                if (random.bounded(3) == 0)
                    selected << i;
            if (selected.isEmpty())
                selected << random.bounded(count);
            const int focus = random.bounded(-1, count); // on any row, or on none
            const int first = selected.first(), last = selected.last();
            int gap = 0;
            switch (place) {
            case Place::AboveSelection:
                gap = random.bounded(first + 1);
                break;
            case Place::InsideSelection:
                gap = random.bounded(first, last + 2);
                break;
            case Place::BelowSelection:
                gap = random.bounded(last + 1, count + 1);
                break;
            }
            const Rows rows = Make(count, selected, focus);
            const Rows expected = ByRepeatedSingleMoves(rows, gap);
            bool moved = false;
            const Rows after = Planned(rows, gap, &moved);
            QCOMPARE(Texts(after), Texts(expected));
            QVERIFY2(after == expected, "states differ");
            QCOMPARE(moved, expected != rows);
        }
    }
};

QTEST_GUILESS_MAIN(TestDropPlan)
#include "tst_dropplan.moc"
