#pragma once

#include <platform/cellular/SIMError.h>
#include <platform/cellular/SIMStatus.h>

#include <QObject>
#include <QPointer>

namespace Cellular {
class NetworkRegistration;
class SystemControl;
}
namespace Tarn {
class MessageBox;
}

// Watches the SIM card, the network registration and the modem, and tells
// the user what needs attention: a removed or rejected card (notifications),
// a refused registration (a dialog for the causes that have one, a note
// otherwise), and a network that cannot be used in automatic selection (the
// offer to open the phone network settings, until the user declines it).
class KorvaUI : public QObject
{
    Q_OBJECT
public:
    using SIMStatus = Cellular::SIM::SIMStatus;
    using SIMError = Cellular::SIM::SIMError;

    explicit KorvaUI(QObject* parent = nullptr);
    ~KorvaUI() override;

    bool isSimRejected(SIMStatus::Status status);

    // The open phone-network question, if any.
    Tarn::MessageBox* networkQuery() const { return m_networkQuery; }
    bool showNetworkQuery() const { return m_showNetworkQuery; }

Q_SIGNALS:
    void showNotification(QString text, QString eventType);
    void NGFEvent(QString event);
    void publishPhoneNetworkSettingsQuery();
    void dismissNRError();

private Q_SLOTS:
    void nrStatusChanged(int status, int rejectCode);
    void nrModeChanged(int mode);
    void scStatusChanged(int status);
    void simChanged(SIMStatus::Status status);
    void simRead(SIMStatus::Status status, SIMError error);
    bool isSimIn(SIMStatus::Status status);
    void showPhoneNetworkSettingsQuery();
    void phoneNetworkSettingsQueryAccepted();
    void dismissPhoneNetworkSettingsQuery();
    void setShowNwQuery(bool show);
    void setShowNwQuery();
    void prestartReleased();

private:
    void showSimRejected();
    void showRefusal(const char* titleId);

    Cellular::NetworkRegistration* m_registration;
    int m_selectionMode;
    bool m_showNetworkQuery = true;
    int m_previousStatus;
    Cellular::SystemControl* m_systemControl;
    int m_systemControlStatus;
    SIMStatus* m_simStatus;
    SIMStatus::Status m_lastSimStatus = SIMStatus::StatusUnknown;
    // A card was seen since the last "no card": only then can it be removed.
    // The modem starting up in between (not ready) does not forget it.
    bool m_cardSeen = false;
    QPointer<Tarn::MessageBox> m_networkQuery;
};
