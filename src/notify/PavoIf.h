#pragma once

#include <QObject>
#include <QString>

class QDBusAbstractInterface;
class QDBusMessage;

// Client of the device mode-control service (com.vexa.pavo, system bus),
// which owns the radio switches and knows the call state.
//
// The first isOffline() / isCalling() asks the service and waits for the
// answer; afterwards the values follow the service's signals. The service
// missing, failing or answering nonsense counts as online and as a call in
// progress: the offline question is never asked because of a broken service.
// Every call waits at most CallTimeoutMs, so a hung service delays the boot
// by a few seconds, not by D-Bus's 25 s default.
class PavoIf : public QObject
{
    Q_OBJECT
public:
    explicit PavoIf(QObject* parent = nullptr);

    bool isOffline();
    bool isCalling();
    // Asks the service to switch the master radio on; waits for the reply.
    // The cached state changes only when the service announces it.
    void setOnline();

    static constexpr int CallTimeoutMs = 3000;

    static const char* const Service;
    static const char* const RequestPath;
    static const char* const RequestInterface;
    static const char* const SignalPath;
    static const char* const SignalInterface;

Q_SIGNALS:
    void offlineChanged(bool offline);
    void callingChanged(bool calling);

private Q_SLOTS:
    void doOfflineChanged(const QDBusMessage& message);
    void doCallingChanged(const QDBusMessage& message);

private:
    void initIf();
    void checkOffline();
    void checkCalling();

    QDBusAbstractInterface* requestIf = nullptr;
    // -1 not known yet; 1 offline (radios off); 0 online.
    int m_offline = -1;
    // -1 not known yet; 1 a call is active; 0 no call.
    int m_calling = -1;
};
