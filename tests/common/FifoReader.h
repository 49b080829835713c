#pragma once

#include <QObject>
#include <QStringList>
#include <QTemporaryDir>

class QSocketNotifier;

// The init system's side of the boot fifo: a fifo in a temporary folder,
// held open for reading (and writing, so it never reports end of file)
// and collecting the tokens written into it, one per line.
class FifoReader : public QObject
{
    Q_OBJECT
public:
    FifoReader();
    ~FifoReader() override;

    QString path() const { return m_path; }
    // Everything written so far, read from the fifo now.
    QStringList tokens()
    {
        readAvailable();
        return m_tokens;
    }
    bool waitForTokens(int count, int timeoutMs = 20000);

    // The service manager's side, for a daemon a unit would start: a datagram
    // socket to name in NOTIFY_SOCKET, and the messages it received.
    QString notifySocket();
    QStringList notices() const { return m_notices; }

Q_SIGNALS:
    void tokenRead(const QString& token);

private:
    void readAvailable();

    QTemporaryDir m_dir;
    QString m_path;
    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
    QByteArray m_buffer;
    QStringList m_tokens;
    int m_notifyFd = -1;
    QStringList m_notices;
};
