#pragma once

#include <DaemonProcess.h>
#include <FifoReader.h>
#include <MockService.h>

#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

// One boot of the real daemon against the simulated oFono SIM, seen from
// outside: the PIN query service's signals, the boot fifo, the page on the
// X display, the simulator's call log and the daemon's log.
class PinBoot : public QObject
{
    Q_OBJECT
public:
    static constexpr const char* Modem = "/ril_0";

    explicit PinBoot(const QVariantMap& ofono);

    // Starts the simulator and the daemon; waits until the service is on the bus.
    bool start(const QStringList& arguments = { QStringLiteral("-log") }, bool waitForService = true);
    bool waitForService();

    // The four signals, in the order they came: "Shown", "Done true",
    // "Enabled 0", "State 1".
    QStringList seen() const { return m_seen; }
    bool waitFor(const QString& signal, int count = 1, int timeoutMs = 20000);

    QDBusMessage call(const QString& method, const QVariantList& args = {});
    // LaunchPinQuery as the start-up sequence calls it; -1 when it failed.
    int launch();

    QString page(bool wait = true);
    // Types `code` on the page and presses OK.
    bool enter(const QString& code);
    bool waitLog(const QString& text, int count = 1, int timeoutMs = 20000);
    int logCount(const QString& text);
    // True when none of `codes` reached the daemon's log.
    bool logKeepsSecret(const QStringList& codes);
    QList<QVariantList> simCalls(const QString& method) { return ofono.calls(QLatin1String(Modem), method); }

    MockService ofono;
    FifoReader fifo;
    DaemonProcess daemon;

private Q_SLOTS:
    void shown() { m_seen << QStringLiteral("Shown"); }
    void done(bool ok) { m_seen << QStringLiteral("Done %1").arg(ok ? "true" : "false"); }
    void enabled(int state) { m_seen << QStringLiteral("Enabled %1").arg(state); }
    void state(int state) { m_seen << QStringLiteral("State %1").arg(state); }

private:
    QStringList m_seen;
};
