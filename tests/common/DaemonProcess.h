#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

// The real korvad binary, started on the test's buses with its fifo and log
// file redirected into a temporary folder; its standard error is collected.
// KORVAD_BINARY names the binary; KORVA_RUN_AS a user to run it as.
class DaemonProcess
{
public:
    DaemonProcess();
    ~DaemonProcess();

    QProcessEnvironment& environment() { return m_env; }
    void setFifo(const QString& path);
    QString logFile() const;

    bool start(const QStringList& arguments = { QStringLiteral("-log") });
    // Waits until standard error holds `text`; the index after it, or -1.
    int waitForOutput(const QString& text, int timeoutMs = 20000);
    bool waitForExit(int timeoutMs = 20000);
    // Round trip through the daemon's event loop over the session bus.
    bool ping();
    // The prestart release, as the session would send it.
    static bool release();
    void interrupt();
    void stop();

    QString output();
    QProcess& process() { return m_process; }

private:
    QTemporaryDir m_dir;
    QProcessEnvironment m_env;
    QProcess m_process;
    QString m_output;
};
