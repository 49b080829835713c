#pragma once

#include <DaemonProcess.h>
#include <FifoReader.h>
#include <MockService.h>
#include <OfonoDaemon.h>

#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

// A helper's failed check ends the test function that called it.
#define STEP(helper)                                                                                         \
    do {                                                                                                     \
        helper;                                                                                              \
        if (QTest::currentTestFailed())                                                                      \
            return;                                                                                          \
    } while (false)

// One boot of the real daemon against the simulated oFono (or, started by the
// test, the real oFono daemon over a simulated modem), seen from outside: its
// services' calls and the PIN query's signals, the boot fifo, the page on the
// X display, the simulator's call log and the daemon's log.
class Phone : public QObject
{
    Q_OBJECT
public:
    static constexpr const char* Modem = "/ril_0";
    static constexpr const char* PinService = "com.vexa.korva.pin";
    // Eight digits: no shorter run of digits in a log line can pass for them.
    static inline const QString Pin = QStringLiteral("24681357");
    static inline const QString Puk = QStringLiteral("97531864");
    static inline const QStringList ReadyDone { QStringLiteral("KORVA_READY"),
        QStringLiteral("PIN_CODE_DONE") };

    explicit Phone(const QVariantMap& ofono = {}, bool withOfono = true);

    // Starts the simulator (unless left out) and the daemon, then waits until
    // `service` is on the system bus (nullptr: does not wait).
    bool start(const QStringList& arguments = { QStringLiteral("-log") }, const char* service = PinService);
    static bool waitForService(const QString& name);

    QList<QVariantList> simCalls(const QString& method) { return ofono.calls(QLatin1String(Modem), method); }

    // A call of one of the daemon's system-bus interfaces named after their
    // service, sent as their callers send them: without waiting.
    static bool send(const QString& service, const QString& method, const QVariantList& args = {});

    // The PIN query's four signals, in the order they came: "Shown",
    // "Done true", "Enabled 0", "State 1".
    QStringList seen() const { return m_seen; }
    bool waitFor(const QString& signal, int count = 1, int timeoutMs = 20000);
    QDBusMessage call(const QString& method, const QVariantList& args = {});
    // LaunchPinQuery as the start-up sequence calls it (as KORVA_RUN_AS when
    // set); -1 when it failed.
    int launch();

    QString page(bool wait = true);
    // Types `code` on the page and presses Enter.
    bool enter(const QString& code);
    // The window-manager layer of the page: "3" above everything, "0" lowered.
    QString layer();
    bool waitLog(const QString& text, int count = 1, int timeoutMs = 20000);
    // True when none of `codes` reached the daemon's log.
    bool logKeepsSecret(const QStringList& codes);
    // Checks that the query is over, done as `ok` says, and so is the boot's PIN stage.
    void expectDone(bool ok);
    // Boots to a ready SIM, the boot's PIN stage over; a card that asks has
    // its PIN entered on the boot's page.
    bool readySim(bool locked);

    MockService ofono;
    OfonoDaemon realOfono;
    FifoReader fifo;
    DaemonProcess daemon;

private Q_SLOTS:
    void shown() { m_seen << QStringLiteral("Shown"); }
    void done(bool ok) { m_seen << QStringLiteral("Done %1").arg(ok ? "true" : "false"); }
    void enabled(int state) { m_seen << QStringLiteral("Enabled %1").arg(state); }
    void state(int state) { m_seen << QStringLiteral("State %1").arg(state); }

private:
    bool m_withOfono;
    QStringList m_seen;
};
