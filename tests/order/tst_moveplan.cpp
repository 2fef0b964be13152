#include "order/MovePlan.h"
#include "platform/WindowTypes.h"

#include <QTest>

using namespace quorvel;

namespace {

// A row is its index before the move * 4 + its state; the plan must look at the selected bit only.
using Rows = std::vector<std::uint8_t>;

QByteArray Describe(const Rows& rows, bool moved) { // "moved 0s 2b 1.": old row 2 has both marks
    QByteArray text = moved ? "moved" : "";
    for (int row : rows)
        text += ' ' + QByteArray::number(row / 4) + ".fsb"[row & 3];
    return text.trimmed();
}

// The buttons' list operations, literally: taken from the moving end, each selected row not
// packed against that end is deleted and inserted next door with state 3, which takes the
// single focus mark from whichever row had it.
QByteArray DeleteAndInsert(Rows rows, bool up) {
    const Rows before = rows;
    const int n = int(rows.size());
    for (int j = 0, packed = 0; j < n; ++j) {
        const int i = up ? j : n - 1 - j, to = up ? i - 1 : i + 1;
        if (!(rows[i] & LVIS_SELECTED))
            continue;
        if (i != (up ? packed : n - 1 - packed)) {
            const std::uint8_t row = rows[i];
            rows.erase(rows.begin() + i);
            rows.insert(rows.begin() + to, row);
            for (std::uint8_t& other : rows)
                other &= ~LVIS_FOCUSED;
            rows[to] |= LVIS_SELECTED | LVIS_FOCUSED;
        }
        ++packed;
    }
    return Describe(rows, rows != before);
}

QByteArray Planned(const Rows& rows, bool up) { // applied as the buttons apply it
    const MovePlan plan = up ? PlanMoveUp(rows) : PlanMoveDown(rows);
    Rows after = rows;
    for (std::size_t i = 0; i < plan.order.size(); ++i)
        after.at(i) = rows.at(plan.order[i]);
    if (plan.focusRow >= 0) {
        for (std::uint8_t& row : after)
            row &= ~LVIS_FOCUSED;
        after.at(std::size_t(plan.focusRow)) |= LVIS_SELECTED | LVIS_FOCUSED;
    }
    return Describe(after, plan.moved);
}

} // namespace

class TestMovePlan : public QObject {
    Q_OBJECT

private slots:
    void move_Should_MatchDeleteAndInsert_When_AnyStatesOfUpToSixRows_data() {
        QTest::addColumn<bool>("up");
        QTest::addColumn<QByteArray>("example"); // of the reference, worked by hand: rows 0 1 2 3 4
        QTest::newRow("up") << true << QByteArray("moved 0s 2s 3b 1. 4.");
        QTest::newRow("down") << false << QByteArray("moved 1. 0b 4. 2s 3s");
    }

    void move_Should_MatchDeleteAndInsert_When_AnyStatesOfUpToSixRows() {
        QFETCH(bool, up);
        QFETCH(QByteArray, example);
        // Rows 0, 2 and 3 selected, row 0 focused: up, row 0 stays; down, focus on the upper run.
        QCOMPARE(DeleteAndInsert({0 + 3, 4, 8 + 2, 12 + 2, 16}, up), example);
        // Every state of every row of lists up to six rows long, several focus marks included.
        for (int n = 0; n <= 6; ++n) {
            for (int states = 0; states < 1 << 2 * n; ++states) {
                Rows rows;
                for (int i = 0; i < n; ++i)
                    rows.push_back(std::uint8_t(i * 4 + (states >> 2 * i & 3)));
                QCOMPARE(Describe(rows, false) + " -> " + Planned(rows, up),
                         Describe(rows, false) + " -> " + DeleteAndInsert(rows, up));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestMovePlan)
#include "tst_moveplan.moc"
