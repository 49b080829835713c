#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// The real oFono daemon on the test's system bus. Its phonesim plugin drives
// the AT modem simulator tests/mocks/atmodem.py over TCP; the simready plugin
// built beside the tests stands in for a hardware driver's "SIM initialized".
// With KORVAD_CELLULAR_BACKEND=modemmanager it is the real ModemManager
// instead, with a polkit mock that allows everything, its generic plugin
// driving the same simulator on an abstract unix socket.
// oFono keeps per-SIM state in /var/lib/ofono: each daemon gets an empty one
// in a private mount namespace (which needs root). The folder keeps
// ofonod.log and modem.log until the test ends.
class OfonoDaemon
{
public:
    OfonoDaemon() = default;
    ~OfonoDaemon();

    static bool available();
    // Starts the modem simulator, scripts its card with `steps` (see
    // atmodem.py), starts ofonod and waits until it owns org.ofono.
    bool start(const QStringList& steps = {});
    void stop();

    // One control step; its answer line ("ok", a value or "error ...").
    QString step(const QString& line);
    // The AT commands the modem received so far.
    QStringList received();
    bool waitReceived(const QString& command, int timeoutMs = 20000);

private:
    QTemporaryDir m_dir;
    QProcess m_modem;
    QProcess m_ofonod;
    QProcess m_polkit;

    bool startModemManager(const QStringList& steps);
};
