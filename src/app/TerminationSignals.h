#pragma once

#include <QObject>

class QSocketNotifier;

namespace quorvel {

// Turns SIGTERM and SIGINT into a Qt signal delivered on the user-interface thread, so a logout
// or Ctrl+C closes the window the normal way and its settings are saved.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void terminationRequested();

private:
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace quorvel
