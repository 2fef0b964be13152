#include "platform/listctrl/FileListView.h"
#include "thumbs/ThumbnailToolTip.h"
#include "support/MainWindowHarness.h"

#include <QAction>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

enum class DragEnd { Drop, DropBelowLastRow, Escape, Outside, NoMove };

QList<int> RowsWith(const CListCtrl& list, unsigned bit) {
    QList<int> rows;
    for (int r = 0; r < list.GetItemCount(); ++r)
        if (list.GetItemState(r, bit))
            rows << r;
    return rows;
}

QPoint RowCentre(const CListCtrl& list, int row, int dy = 0) {
    return list.View()->visualRect(list.Model()->index(row, 0)).center() + QPoint(0, dy);
}

// Sends what a file manager's drag sends: enter, then drop, at the middle of the target.
bool DropUris(QWidget* target, const QByteArray& uriList, Qt::DropActions actions,
              Qt::DropAction* answered) {
    QMimeData data; // file managers offer the URIs as text too
    data.setData("text/uri-list", uriList);
    data.setText(QString::fromUtf8(uriList));
    const QPoint middle = target->rect().center();
    QDragEnterEvent enter(middle, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(middle), actions, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    *answered = drop.dropAction();
    return drop.isAccepted();
}

} // namespace

class TestHandOrder : public QObject {
    Q_OBJECT

    QTemporaryDir m_cacheHome;
    QTemporaryDir m_dir;

    QString at(const QString& below) const { return m_dir.path() + below; }
    void file(const QString& path) const { QVERIFY(QFile(at(path)).open(QIODevice::WriteOnly)); }
    // The window listing the folder, shown and active, so keys and shortcuts reach the list.
    void start(MainWindowHarness& h, const QString& folder, const std::string& config = "") {
        h.writeIni("[Data]\nFolder=" + at(folder).toStdString() + "\n[Config]\n" + config);
        h.start();
        h.dlg->show();
        h.dlg->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(h.dlg.get()));
    }
    QWidget* tip(const MainWindowHarness& h) const {
        return h.dlg->findChild<QWidget*>(QStringLiteral("thumbnailTip"));
    }
    bool tipShown(const MainWindowHarness& h) const { return tip(h) && tip(h)->isVisible(); }
    void rest(const MainWindowHarness& h, int row) const {
        QWidget* viewport = h.dlg->m_listFiles.View()->viewport();
        const QPoint pos = RowCentre(h.dlg->m_listFiles, row);
        QHelpEvent help(QEvent::ToolTip, pos, viewport->mapToGlobal(pos));
        QCoreApplication::sendEvent(viewport, &help);
    }

private slots:
    void initTestCase() {
        qputenv("XDG_CACHE_HOME", m_cacheHome.path().toLocal8Bit());
        for (const char* folder : {"/six", "/many", "/pictures", "/other"})
            QVERIFY(QDir().mkdir(at(folder)));
        for (const char* name : {"a", "b", "c", "d", "e", "f"})
            file(QStringLiteral("/six/%1.txt").arg(name));
        for (int i = 0; i < 200; ++i)
            file(QStringLiteral("/many/%1.txt").arg(i, 3, 10, QLatin1Char('0')));
        QImage red(600, 400, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(at("/pictures/a.jpg"), "JPEG", 95));
        QFile broken(at("/pictures/broken.jpg"));
        QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write("not a picture") > 0);
        broken.close();
        file("/pictures/notes.txt");
        file("/other/x.txt");
    }

    void drag_Should_MoveTheSelectionAsOneBlock_When_DroppedOnTheList_data() {
        QTest::addColumn<QList<int>>("selected"); // before the press
        QTest::addColumn<int>("pressed");
        QTest::addColumn<bool>("ctrl");  // held on the press
        QTest::addColumn<int>("target"); // the row the pointer is let go on
        QTest::addColumn<int>("half");   // -1 its upper half, +1 its lower half
        QTest::addColumn<DragEnd>("end");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<int>>("selectedAfter");
        QTest::addColumn<int>("focusAfter");
        const auto row = [](const char* what, QList<int> selected, int pressed, bool ctrl,
                            int target, int half, DragEnd end, QStringList names,
                            QList<int> selectedAfter, int focusAfter) {
            QTest::newRow(what) << selected << pressed << ctrl << target << half << end << names
                                << selectedAfter << focusAfter;
        };
        const QStringList unchanged{"a.txt", "b.txt", "c.txt", "d.txt", "e.txt", "f.txt"};
        row("an unselected row is selected alone and moved down", {4}, 0, false, 2, 1,
            DragEnd::Drop, {"b.txt", "c.txt", "a.txt", "d.txt", "e.txt", "f.txt"}, {2}, 2);
        row("a selected row takes the whole selection up", {1, 3}, 3, false, 0, -1, DragEnd::Drop,
            {"b.txt", "d.txt", "a.txt", "c.txt", "e.txt", "f.txt"}, {0, 1}, 1);
        row("below the last row", {0, 2}, 0, false, 5, 1, DragEnd::DropBelowLastRow,
            {"b.txt", "d.txt", "e.txt", "f.txt", "a.txt", "c.txt"}, {4, 5}, 4);
        row("Esc during the drag changes nothing", {1, 3}, 1, false, 5, 1, DragEnd::Escape,
            unchanged, {1, 3}, 1);
        row("let go outside the list changes nothing", {1, 3}, 1, false, 5, 1, DragEnd::Outside,
            unchanged, {1, 3}, 1);
        row("Ctrl took the row out of the selection: it is dragged alone", {1, 3}, 3, true, 0, -1,
            DragEnd::Drop, {"d.txt", "a.txt", "b.txt", "c.txt", "e.txt", "f.txt"}, {0}, 0);
        row("a click on a selected row still selects it alone", {1, 3}, 3, false, 3, 0,
            DragEnd::NoMove, unchanged, {3}, 3);
    }
    void drag_Should_MoveTheSelectionAsOneBlock_When_DroppedOnTheList() {
        QFETCH(QList<int>, selected);
        QFETCH(int, pressed);
        QFETCH(bool, ctrl);
        QFETCH(int, target);
        QFETCH(int, half);
        QFETCH(DragEnd, end);
        QFETCH(QStringList, names);
        QFETCH(QList<int>, selectedAfter);
        QFETCH(int, focusAfter);
        MainWindowHarness h;
        start(h, "/six");
        CListCtrl& list = h.dlg->m_listFiles;
        for (int r : selected)
            list.SetItemState(r, LVIS_SELECTED, LVIS_SELECTED);
        QWidget* viewport = list.View()->viewport();
        const int quarter = list.View()->rowHeight(0) / 4;
        const QPoint from = RowCentre(list, pressed);
        QPoint to = RowCentre(list, target, half * quarter);
        if (end == DragEnd::DropBelowLastRow)
            to = RowCentre(list, target, list.View()->rowHeight(0) * 2);
        if (end == DragEnd::Outside)
            to = QPoint(viewport->width() + 40, to.y());
        QTest::mousePress(viewport, Qt::LeftButton, ctrl ? Qt::ControlModifier : Qt::NoModifier,
                          from);
        for (int step = 1; step <= 4 && end != DragEnd::NoMove; ++step)
            QTest::mouseMove(viewport, from + (to - from) * step / 4);
        if (end == DragEnd::Escape)
            QTest::keyClick(list.View(), Qt::Key_Escape);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
        QCOMPARE(h.rows(), names);
        QCOMPARE(RowsWith(list, LVIS_SELECTED), selectedAfter);
        QCOMPARE(RowsWith(list, LVIS_FOCUSED), QList<int>{focusAfter});
        QVERIFY(!h.dlg->IsDestroyed());
        QVERIFY(h.boxes.shown.empty());
    }

    void drag_Should_ScrollTheList_When_HeldNearItsBottomEdge() {
        MainWindowHarness h;
        start(h, "/many");
        CListCtrl& list = h.dlg->m_listFiles;
        QWidget* viewport = list.View()->viewport();
        const QPoint from = RowCentre(list, 0);
        const QPoint edge(from.x(), viewport->height() - 2);
        QTest::mousePress(viewport, Qt::LeftButton, {}, from);
        QTest::mouseMove(viewport, from + QPoint(0, 20));
        QTest::mouseMove(viewport, edge);
        QTRY_VERIFY(list.View()->verticalScrollBar()->value() >= 20);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, edge);
        // The first row landed where the list had scrolled to, far below the first screen: on
        // the line above or below the row under the pointer, which moved up by one.
        const std::vector<std::string> names = h.names();
        const int landed = int(std::find(names.begin(), names.end(), "000.txt") - names.begin());
        const int under = list.View()->rowAt(edge.y());
        QVERIFY2(landed >= 20 && (landed == under || landed == under - 1),
                 qPrintable(QStringLiteral("landed %1, pointer on %2").arg(landed).arg(under)));
    }

    void drop_Should_ChangeNothing_When_TheMissingRowsAreShown() {
        MainWindowHarness h;
        h.writeIni("[Data]\nFolder=" + at("/six").toStdString() + "\nKaku=*.none\n");
        CListCtrl& list = h.start().m_listFiles;
        QCOMPARE(h.dlg->m_bListValid, 0);
        list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
        emit list.View()->rowsDropped(0);
        QCOMPARE(h.names()[0], std::string("指定されたファイルは"));
    }

    void altArrows_Should_DoWhatTheArrowButtonsDo_data() {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<int>("key");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("box");
        const auto row = [](const char* what, QList<int> selected, Qt::Key key, QStringList names,
                            QString box = {}) {
            QTest::newRow(what) << selected << int(key) << names << box;
        };
        row("Alt+Up", {2, 4}, Qt::Key_Up, {"a.txt", "c.txt", "b.txt", "e.txt", "d.txt", "f.txt"});
        row("Alt+Down", {1, 2}, Qt::Key_Down,
            {"a.txt", "d.txt", "b.txt", "c.txt", "e.txt", "f.txt"});
        row("Alt+Up without a selection: the buttons' message", {}, Qt::Key_Up,
            {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt", "f.txt"},
            "ファイルが選択されていません。\nファイルを選択してから操作を行って下さい。");
    }
    void altArrows_Should_DoWhatTheArrowButtonsDo() {
        QFETCH(QList<int>, selected);
        QFETCH(int, key);
        QFETCH(QStringList, names);
        QFETCH(QString, box);
        MainWindowHarness h;
        start(h, "/six");
        CListCtrl& list = h.dlg->m_listFiles;
        for (int r : selected)
            list.SetItemState(r, LVIS_SELECTED, LVIS_SELECTED);
        list.SetFocus();
        QTest::keyClick(list.View(), Qt::Key(key), Qt::AltModifier);
        QCOMPARE(h.rows(), names);
        QCOMPARE(h.boxes.shown.size(), std::size_t(box.isEmpty() ? 0 : 1));
        if (!box.isEmpty())
            QCOMPARE(QString::fromStdString(h.boxes.shown[0].text), box);
    }

    void fileDrop_Should_ListTheFolder_As_TheBrowseButtonDoes_data() {
        QTest::addColumn<QString>("onto"); // "window" or "folder edit"
        QTest::addColumn<QByteArray>("uris");
        QTest::addColumn<int>("actions");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("folder"); // empty: nothing listed
        const auto row = [](const char* what, QString onto, const char* uris, int actions,
                            bool accepted, Qt::DropAction answer, QString folder) {
            QTest::newRow(what) << onto << QByteArray(uris) << actions << accepted << int(answer)
                                << folder;
        };
        const int copyMove = Qt::CopyAction | Qt::MoveAction;
        row("a folder", "window", "file://@/other\r\n", copyMove, true, Qt::CopyAction, "@/other");
        row("a file: its folder", "window", "file://@/other/x.txt\r\n", Qt::LinkAction | copyMove,
            true, Qt::LinkAction, "@/other");
        row("onto the folder edit, which would paste it", "folder edit", "file://@/other/x.txt\r\n",
            copyMove, true, Qt::CopyAction, "@/other");
        row("a web address", "window", "https://example.org/x.txt\r\n", copyMove, false,
            Qt::IgnoreAction, "");
        row("offered only as a move: never taken", "window", "file://@/other\r\n", Qt::MoveAction,
            false, Qt::IgnoreAction, "");
    }
    void fileDrop_Should_ListTheFolder_As_TheBrowseButtonDoes() {
        QFETCH(QString, onto);
        QFETCH(QByteArray, uris);
        QFETCH(int, actions);
        QFETCH(bool, accepted);
        QFETCH(int, answer);
        QFETCH(QString, folder);
        MainWindowHarness h;
        start(h, "/six");
        h.edit(IDC_PREFIX)->setText("trip_");
        uris.replace("@", QFile::encodeName(m_dir.path()));
        QWidget* target =
            onto == "window" ? static_cast<QWidget*>(h.dlg.get()) : h.edit(IDC_FOLDER);
        Qt::DropAction answered = Qt::IgnoreAction;
        QCOMPARE(DropUris(target, uris, Qt::DropActions(actions), &answered), accepted);
        QCOMPARE(int(answered), answer);
        QCoreApplication::processEvents();
        const QString shown = folder.isEmpty() ? at("/six") : at(folder.mid(1));
        QCOMPARE(h.edit(IDC_FOLDER)->text(), shown);
        QCOMPARE(h.rows().first(), folder.isEmpty() ? QString("a.txt") : QString("x.txt"));
        QCOMPARE(h.edit(IDC_PREFIX)->text(), folder.isEmpty() ? QString("trip_") : QString());
    }

    void thumbnailItem_Should_SwitchThumbnails_And_KeepTheChoice_data() {
        QTest::addColumn<QString>("stored"); // the [Config] line, or none
        QTest::addColumn<int>("switches");
        QTest::addColumn<bool>("checkedAtStart");
        QTest::addColumn<QString>("saved"); // the line after closing, or none
        const auto row = [](const char* what, QString stored, int switches, bool checked,
                            QString saved) {
            QTest::newRow(what) << stored << switches << checked << saved;
        };
        row("never touched: on, nothing written", "", 0, true, "");
        row("switched off", "", 1, true, "ShowThumbnails=0");
        row("stored off stays off", "ShowThumbnails=0", 0, false, "ShowThumbnails=0");
        row("stored off, switched on", "ShowThumbnails=0", 1, false, "ShowThumbnails=1");
        row("any other number is on, kept as stored", "ShowThumbnails=5", 0, true,
            "ShowThumbnails=5");
        row("an empty value is left alone", "ShowThumbnails=", 0, true, "ShowThumbnails=");
    }
    void thumbnailItem_Should_SwitchThumbnails_And_KeepTheChoice() {
        QFETCH(QString, stored);
        QFETCH(int, switches);
        QFETCH(bool, checkedAtStart);
        QFETCH(QString, saved);
        MainWindowHarness h;
        start(h, "/six", stored.isEmpty() ? "" : stored.toStdString() + "\n");
        QAction* item = h.dlg->ThumbnailAction();
        const QList<QAction*> items = h.dlg->SystemMenu()->actions();
        QCOMPARE(items.indexOf(item), items.indexOf(h.dlg->UndoAction()) + 1);
        QCOMPARE(item->text(), QStringLiteral("サムネイルを表示する"));
        QVERIFY(item->isCheckable());
        QCOMPARE(item->isChecked(), checkedAtStart);
        for (int i = 0; i < switches; ++i)
            item->trigger();
        h.dlg->DestroyWindow();
        const QString ini = QString::fromStdString(h.readIni());
        QCOMPARE(ini.count("ShowThumbnails"), saved.isEmpty() ? 0 : 1);
        if (!saved.isEmpty())
            QVERIFY2(ini.contains(saved + "\n"), qPrintable(ini));
    }

    void tooltip_Should_ShowThePicture_OnlyForARowWithOne() {
        MainWindowHarness h;
        start(h, "/pictures"); // rows: a.jpg, broken.jpg, notes.txt
        QSignalSpy loaded(&h.dlg->ThumbnailTips()->loader(), &ThumbnailLoader::loaded);
        rest(h, 0);
        QTRY_VERIFY(tipShown(h));
        const QList<QLabel*> labels = tip(h)->findChildren<QLabel*>();
        QCOMPARE(labels.size(), 2);
        const QImage picture = labels[0]->pixmap().toImage();
        QCOMPARE(picture.size(), QSize(256, 170));
        QVERIFY(qRed(picture.pixel(128, 85)) > 200 && qGreen(picture.pixel(128, 85)) < 50);
        QCOMPARE(labels[1]->text(), QStringLiteral("a.jpg\n600 × 400"));

        // Another row: the tooltip goes; a picture that cannot be decoded shows none.
        QWidget* viewport = h.dlg->m_listFiles.View()->viewport();
        QTest::mouseMove(viewport, RowCentre(h.dlg->m_listFiles, 1));
        QVERIFY(!tipShown(h));
        rest(h, 1);
        QTRY_COMPARE(loaded.size(), 2);
        QVERIFY(!tipShown(h));
        rest(h, 2); // not a picture: not even asked for
        QCoreApplication::processEvents();
        QCOMPARE(loaded.size(), 2);
        QVERIFY(h.boxes.shown.empty());

        // Switched off: not asked for either.
        h.dlg->ThumbnailAction()->trigger();
        rest(h, 0);
        QTest::qWait(50);
        QCOMPARE(loaded.size(), 2);
        QVERIFY(!tipShown(h));
    }
};

QTEST_MAIN(TestHandOrder)
#include "tst_handorder.moc"
