#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

// The real korvad binary, started on the test's buses with its fifo and log
// file redirected into a temporary folder; its standard error is collected.
class DaemonProcess
{
public:
    DaemonProcess();
    ~DaemonProcess();

    QProcessEnvironment& environment() { return m_env; }
    void setFifo(const QString& path);
    QString logFile() const;

    bool start(const QStringList& arguments = { QStringLiteral("-log") });
    // Waits until standard error holds `text` (from `from` on); the index after it, or -1.
    int waitForOutput(const QString& text, int timeoutMs = 20000, int from = 0);
    bool waitForExit(int timeoutMs = 20000);
    // Round trip through the daemon's event loop over the session bus.
    bool ping();
    void interrupt();
    void stop();

    QString output();
    QProcess& process() { return m_process; }

    static QString binary();

private:
    QTemporaryDir m_dir;
    QProcessEnvironment m_env;
    QProcess m_process;
    QString m_output;
};
