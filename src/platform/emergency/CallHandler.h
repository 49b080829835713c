#pragma once

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantMap>

class QWidget;

namespace Emergency {

class MmVoice;

// Emergency numbers and emergency calls over oFono's VoiceCallManager on the
// modem that Cellular::OfonoModem follows, or over MmVoice when ModemManager
// is the cellular backend.
//
// The numbers are the modem's EmergencyNumbers plus 112 and 911, which are
// always emergency numbers, even with no modem at all. A call to one of them
// is possible while the SIM still wants its PIN: the modem is put online
// first, then the number is dialled.
//
// callStarted() comes when the first call of the modem appears, callDone()
// when the last one is gone, so overlapping calls give one pair.
class CallHandler : public QObject
{
    Q_OBJECT
public:
    static constexpr const char* VoiceCallManagerInterface = "org.ofono.VoiceCallManager";
    static constexpr int CallTimeoutMs = 10000;

    explicit CallHandler(QObject* parent = nullptr);

    bool isEmergencyNumber(const QString& number) const;
    QStringList emergencyNumbers() const;
    bool isCallActive() const;

    // Refuses anything but an emergency number; a failure comes as callFailed().
    void startEmergencyCall(const QString& number);

    // A small dialer for emergency numbers over `parent` (filling it); it
    // goes away by itself when closed or when its call has started.
    QWidget* startDialerUi(QWidget* parent);

Q_SIGNALS:
    void callStarted();
    void callDone();
    void callFailed();
    void emergencyNumbersChanged();

private Q_SLOTS:
    void onCallAdded(const QDBusMessage& message);
    void onCallRemoved(const QDBusMessage& message);
    void onPropertyChanged(const QDBusMessage& message);

private:
    void followModem(const QString& path);
    void readProperties();
    void dial(const QString& number);
    void takeNumbers(const QVariant& value);

    QString m_path;
    QStringList m_modemNumbers;
    QSet<QString> m_calls;
    MmVoice* m_mm = nullptr;
};

} // namespace Emergency
