#pragma once

#include <QDBusMessage>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

namespace Emergency {

// Calls over ModemManager's Voice interface on the modem that
// Cellular::MmModem follows, and the card's emergency numbers from its SIM
// object (ModemManager publishes no others).
//
// A call is made in two steps: Voice.CreateCall, then Call.Start; a modem
// still asking for its PIN takes emergency numbers only. Call states come
// seconds late (ModemManager polls the modem's call list), so they are
// followed from each call's StateChanged signal, never assumed:
// callStarted() when the first call of the modem is under way (dialing up
// to waiting), callDone() when the last is over. The calls this daemon made
// are deleted once terminated; ModemManager keeps them otherwise.
class MmVoice : public QObject
{
    Q_OBJECT
public:
    static constexpr const char* VoiceInterface = "org.freedesktop.ModemManager1.Modem.Voice";
    static constexpr const char* CallInterface = "org.freedesktop.ModemManager1.Call";
    // MMCallState values the daemon names.
    enum CallState { CallUnknown = 0, CallDialing = 1, CallWaiting = 6, CallTerminated = 7 };

    explicit MmVoice(QObject* parent = nullptr);

    QStringList numbers() const { return m_numbers; }
    bool isCallActive() const { return !m_active.isEmpty(); }
    // Any number; the caller decides which ones may be dialled.
    void dial(const QString& number);

Q_SIGNALS:
    void callStarted();
    void callDone();
    void callFailed();
    void numbersChanged();

private Q_SLOTS:
    void onCallStateChanged(const QDBusMessage& message);

private:
    void onModemChanged();
    void start(const QString& call, const QString& number);
    void forget(const QString& call);

    QString m_modem;
    QStringList m_numbers;
    QSet<QString> m_active;
    QSet<QString> m_ours;
};

} // namespace Emergency
