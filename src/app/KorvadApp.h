#pragma once

#include <platform/tarn/Application.h>

#include <functional>
#include <thread>

class Korvad;
class SystemdNotifier;

// The daemon's application object: checks the modem once at start, creates
// the core, and reports the two boot stages to the init system's fifo and,
// when a unit started it, to systemd.
class KorvadApp : public Tarn::Application
{
    Q_OBJECT
public:
    KorvadApp(int& argc, char** argv);
    ~KorvadApp() override;

    // Called once by main() before the event loop runs.
    void startDaemon();

    bool isZombie() const { return m_zombie; }

    // "/var/run/upstart.fifo" unless KORVAD_UPSTART_FIFO names another path.
    static QString fifoPath();
    // The shell command that writes one token into the fifo.
    static QByteArray upstartCommand(const char* token);
    // Runs that command, only if the path is a fifo (not a link to one, and
    // never creating a file); false, with a log line, when the token is
    // not delivered. A blocked write ends when the process is interrupted.
    // `meanwhile` runs while the shell writes it.
    static bool writeToken(const char* token, const std::function<void()>& meanwhile = {});
    // For the SIGINT handler, and async-signal-safe: abandons a token write
    // that is waiting for a reader, and any later one.
    static void interrupt();

    // Quits; a dialog closed on the way out is no answer of the user's.
    void shutDown();

public Q_SLOTS:
    void updateUpstart(bool ready, bool done);

private Q_SLOTS:
    void updateUpstartDone();

protected:
    void releasePrestart() override;

private:
    void checkModem();
    void showModemFailure();

    Korvad* daemon = nullptr;
    SystemdNotifier* m_systemd = nullptr;
    bool modemFailure = false;
    bool readyReported = false;
    bool doneReported = false;
    bool m_zombie = false;
    std::thread m_fontWarmup;
};
