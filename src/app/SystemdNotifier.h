#pragma once

#include <QObject>

// Tells systemd how the boot goes when a unit started korvad (NOTIFY_SOCKET
// set): a status line per stage, READY=1 with KORVA_READY, and at the end of
// the PIN stage it starts PinStageTarget in the user manager so that units
// wanted by it follow. Without NOTIFY_SOCKET it does nothing; the boot fifo
// is the init system's other channel and is written regardless.
class SystemdNotifier : public QObject
{
    Q_OBJECT
public:
    static constexpr const char* PinStageTarget = "korvad-pin-done.target";

    explicit SystemdNotifier(QObject* parent = nullptr);

    bool isActive() const { return m_active; }

    void status(const char* text);
    void ready(const char* text);
    void pinStageOver();

private:
    void send(const QByteArray& state);

    bool m_active = false;
};
