#pragma once

#include <QObject>

class QSocketNotifier;

/// Turns SIGTERM and SIGINT (the host, or a terminal, asking the data link to
/// stop) into a normal close of the window: the run then ends through the
/// usual shut-down, with the window's result. The previous dispositions come
/// back when the object goes.
class TerminationRequest : public QObject
{
    Q_OBJECT
public:
    explicit TerminationRequest(QObject* parent = nullptr);
    ~TerminationRequest() override;

    /// Whether a stop was asked for since the object was built.
    bool isRequested() const { return m_requested; }
    /// Whether a SIGTERM or SIGINT arrived since the object was built, as the signal
    /// handler records it: true at once, even while the GUI thread is blocked in a
    /// wait (a lock, a modal box) and before requested() has been emitted.
    static bool signalReceived();

signals:
    void requested();

private:
    void onReadable();

    QSocketNotifier* m_notifier = nullptr;
    bool m_requested = false;
};
