#pragma once

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace quorvel::test {

// A modal window runs its own event loop, so what a person does in it has to be queued before
// the action that opens it. The step gets the window once it is the active modal one; a window
// the step leaves open is closed and counted as a failure, so a wrong step cannot hang the test.
inline void WhenModalOpens(std::function<void(QWidget*)> step) {
    QTimer::singleShot(0, [step] {
        QWidget* opened = nullptr;
        QTRY_VERIFY((opened = QApplication::activeModalWidget()) != nullptr);
        QPointer<QWidget> window(opened);
        step(opened);
        const bool stillOpen = window && window->isVisible();
        if (stillOpen)
            window->close();
        QVERIFY2(!stillOpen, "the modal window stayed open");
    });
}

// For actions that must not open a modal window: if one opens anyway it is recorded and closed
// at once instead of waiting for a person. The queued check also runs when nothing opened, on
// the next round of the event loop (FlushQueuedSteps).
inline void RecordUnexpectedModal(QPointer<QWidget>* seen) {
    QTimer::singleShot(0, [seen] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            *seen = w;
            w->close();
        }
    });
}

inline void FlushQueuedSteps() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// What a failed test left open.
inline void CloseLeftoverModals() {
    for (int guard = 0; guard < 10; ++guard) {
        QWidget* w = QApplication::activeModalWidget();
        if (!w)
            break;
        w->close();
        QCoreApplication::processEvents();
    }
    if (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
}

// Sends one key to whatever has the keyboard focus inside the window, as typing does: a key
// the focused control does not use travels on to the window.
inline void PressKey(QWidget* window, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* target = window->focusWidget() ? window->focusWidget() : window;
    QTest::keyClick(target, key, mods);
}

} // namespace quorvel::test
