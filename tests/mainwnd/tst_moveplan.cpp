#include "mainwnd/MovePlan.h"
#include "platform/WindowTypes.h"

#include <QTest>

#include <algorithm>
#include <random>
#include <vector>

using quorvel::LVIS_FOCUSED;
using quorvel::LVIS_SELECTED;
using quorvel::MovePlan;

namespace {

struct Row {
    std::uint32_t id; // the row's index before the move
    std::uint8_t state;
};

// The list operations of the buttons, literally: a moved row is deleted, inserted next door and
// given state 3/3, which takes the single focus mark from whichever row had it.
void DeleteAndInsert(std::vector<Row>& rows, int from, int to) {
    const Row row = rows[from];
    rows.erase(rows.begin() + from);
    rows.insert(rows.begin() + to, row);
    for (Row& other : rows) {
        other.state &= ~LVIS_FOCUSED;
    }
    rows[to].state = LVIS_SELECTED | LVIS_FOCUSED;
}

int NextSelected(const std::vector<Row>& rows, int after) {
    for (int i = after + 1; i < static_cast<int>(rows.size()); ++i) {
        if (rows[i].state & LVIS_SELECTED) {
            return i;
        }
    }
    return -1;
}

void ReferenceMoveUp(std::vector<Row>& rows) {
    int k = 0;
    for (int i = NextSelected(rows, -1); i != -1; ++k) {
        const int next = NextSelected(rows, i); // fetched before row i is touched
        if (i != k) {
            DeleteAndInsert(rows, i, i - 1);
        }
        i = next;
    }
}

void ReferenceMoveDown(std::vector<Row>& rows) {
    const int selected = static_cast<int>(
        std::count_if(rows.begin(), rows.end(), [](Row r) { return r.state & LVIS_SELECTED; }));
    const int base = static_cast<int>(rows.size()) - selected;
    std::vector<int> toMove;
    int k = 0;
    for (int i = NextSelected(rows, -1); i != -1; i = NextSelected(rows, i), ++k) {
        if (i != base + k) {
            toMove.push_back(i);
        }
    }
    for (auto i = toMove.rbegin(); i != toMove.rend(); ++i) {
        DeleteAndInsert(rows, *i, *i + 1);
    }
}

std::vector<Row> ApplyPlan(const std::vector<Row>& rows, const MovePlan& plan) {
    if (!plan.moved) {
        return rows;
    }
    std::vector<Row> after;
    for (std::uint32_t old : plan.order) {
        after.push_back(rows.at(old));
    }
    if (plan.focusRow >= 0) {
        for (Row& row : after) {
            row.state &= ~LVIS_FOCUSED;
        }
        after.at(plan.focusRow).state |= LVIS_SELECTED | LVIS_FOCUSED;
    }
    return after;
}

std::vector<std::uint8_t> StatesOf(const std::vector<Row>& rows) {
    std::vector<std::uint8_t> states;
    for (const Row& row : rows) {
        states.push_back(row.state);
    }
    return states;
}

// '.' nothing, 'f' focused, 's' selected, 'b' both.
std::vector<Row> RowsFromMarks(const QByteArray& marks) {
    std::vector<Row> rows;
    for (char mark : marks) {
        rows.push_back({static_cast<std::uint32_t>(rows.size()),
                        static_cast<std::uint8_t>(QByteArray(".fsb").indexOf(mark))});
    }
    return rows;
}

// "2b" is old row 2 carrying both marks.
QByteArray Describe(const std::vector<Row>& rows) {
    QByteArray text;
    for (const Row& row : rows) {
        text += QByteArray::number(row.id) + ".fsb"[row.state & 3] + ' ';
    }
    return text.trimmed();
}

MovePlan Plan(const std::vector<Row>& rows, bool up) {
    const std::vector<std::uint8_t> states = StatesOf(rows);
    return up ? quorvel::PlanMoveUp(states) : quorvel::PlanMoveDown(states);
}

} // namespace

class TestMovePlan : public QObject {
    Q_OBJECT

private slots:
    void move_Should_GiveListedRows_When_EdgeCase_data();
    void move_Should_GiveListedRows_When_EdgeCase();
    void move_Should_MatchDeleteAndInsert_When_SelectionIsRandom_data();
    void move_Should_MatchDeleteAndInsert_When_SelectionIsRandom();
};

void TestMovePlan::move_Should_GiveListedRows_When_EdgeCase_data() {
    QTest::addColumn<QByteArray>("marks");
    QTest::addColumn<bool>("up");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<bool>("moved");

    QTest::newRow("rows 0 and 2 up: row 0 stays, old row 1 ends below old row 2")
        << QByteArray("s.s") << true << QByteArray("0s 2b 1.") << true;
    QTest::newRow("rows 1 and 2 of five down: old row 3 rises above them")
        << QByteArray(".ss..") << false << QByteArray("0. 3. 1b 2s 4.") << true;
    QTest::newRow("all selected up")
        << QByteArray("sbs") << true << QByteArray("0s 1b 2s") << false;
    QTest::newRow("all selected down")
        << QByteArray("sbs") << false << QByteArray("0s 1b 2s") << false;
    QTest::newRow("last row selected never moves down")
        << QByteArray("f.s") << false << QByteArray("0f 1. 2s") << false;
    QTest::newRow("row 0 selected never moves up")
        << QByteArray("s.f") << true << QByteArray("0s 1. 2f") << false;
    QTest::newRow("nothing selected")
        << QByteArray("..f") << true << QByteArray("0. 1. 2f") << false;
    QTest::newRow("empty list up") << QByteArray() << true << QByteArray() << false;
    QTest::newRow("empty list down") << QByteArray() << false << QByteArray() << false;
    QTest::newRow("a run rises as a block")
        << QByteArray(".ss") << true << QByteArray("1s 2b 0.") << true;
    QTest::newRow("focus leaves a row that stays")
        << QByteArray("f.s") << true << QByteArray("0. 2b 1.") << true;
    QTest::newRow("top block stays while a later row rises")
        << QByteArray("ss.s") << true << QByteArray("0s 1s 3b 2.") << true;
    QTest::newRow("bottom block stays while an earlier row sinks")
        << QByteArray("s.ss") << false << QByteArray("1. 0b 2s 3s") << true;
    QTest::newRow("two runs up: focus on the lower moved row")
        << QByteArray("..b.s") << true << QByteArray("0. 2s 1. 4b 3.") << true;
    QTest::newRow("two runs down: focus on the upper moved row")
        << QByteArray("s.b..") << false << QByteArray("1. 0b 3. 2s 4.") << true;
}

void TestMovePlan::move_Should_GiveListedRows_When_EdgeCase() {
    QFETCH(QByteArray, marks);
    QFETCH(bool, up);
    QFETCH(QByteArray, expected);
    QFETCH(bool, moved);

    const std::vector<Row> rows = RowsFromMarks(marks);
    const MovePlan plan = Plan(rows, up);
    QCOMPARE(plan.moved, moved);
    QCOMPARE(Describe(ApplyPlan(rows, plan)), expected);
}

void TestMovePlan::move_Should_MatchDeleteAndInsert_When_SelectionIsRandom_data() {
    QTest::addColumn<int>("selectedPercent");
    QTest::addColumn<bool>("withFocus");

    QTest::newRow("few selected, a focus mark") << 15 << true;
    QTest::newRow("half selected, a focus mark") << 50 << true;
    QTest::newRow("most selected, a focus mark") << 85 << true;
    QTest::newRow("half selected, no focus mark") << 50 << false;
}

void TestMovePlan::move_Should_MatchDeleteAndInsert_When_SelectionIsRandom() {
    QFETCH(int, selectedPercent);
    QFETCH(bool, withFocus);

    for (unsigned seed = 1; seed <= 100; ++seed) {
        std::mt19937 random(seed * 7919U + static_cast<unsigned>(selectedPercent));
        for (int size = 0; size <= 50; ++size) {
            std::vector<Row> rows;
            for (int i = 0; i < size; ++i) {
                const bool selected = static_cast<int>(random() % 100) < selectedPercent;
                rows.push_back({static_cast<std::uint32_t>(i),
                                static_cast<std::uint8_t>(selected ? LVIS_SELECTED : 0)});
            }
            if (withFocus && size > 0) {
                rows[random() % size].state |= LVIS_FOCUSED;
            }
            for (bool up : {true, false}) {
                std::vector<Row> expected = rows;
                up ? ReferenceMoveUp(expected) : ReferenceMoveDown(expected);
                const MovePlan plan = Plan(rows, up);
                const QByteArray got = Describe(ApplyPlan(rows, plan));
                if (got != Describe(expected) ||
                    plan.moved != (Describe(expected) != Describe(rows))) {
                    QFAIL(qPrintable(
                        QStringLiteral("%1 from [%2]: got [%3], expected [%4]")
                            .arg(up ? "up" : "down", Describe(rows), got, Describe(expected))));
                }
            }
        }
    }
}

QTEST_GUILESS_MAIN(TestMovePlan)
#include "tst_moveplan.moc"
