#include "KorvaUI.h"

#include "Haptics.h"

#include <common/Vocabulary.h>
#include <platform/Trace.h>
#include <platform/cellular/NetworkRegistration.h>
#include <platform/cellular/SystemControl.h>
#include <platform/system/SettingsPanel.h>
#include <platform/tarn/Application.h>
#include <platform/tarn/MessageBox.h>

namespace {

// Values of the cellular layer this watcher acts on.
constexpr int AutomaticSelection = 0;
constexpr int NoNetwork = 2;
constexpr int Searching = 3;
constexpr int Denied = 5;
constexpr int LimitedService = 7;
constexpr int ModemOn = 1;

// Whether a status shows a card in the slot. Unknown (no oFono, no modem)
// and not ready (the modem is still starting) tell nothing about the card.
bool showsCard(KorvaUI::SIMStatus::Status status)
{
    return status != KorvaUI::SIMStatus::StatusUnknown && status != KorvaUI::SIMStatus::StatusNotReady
        && status != KorvaUI::SIMStatus::StatusNoSim;
}

const char* boolText(bool value)
{
    return value ? "true" : "false";
}

} // namespace

KorvaUI::KorvaUI(QObject* parent)
    : QObject(parent)
    , m_registration(new Cellular::NetworkRegistration(this))
    , m_selectionMode(m_registration->mode())
    , m_previousStatus(m_registration->status())
    , m_systemControl(new Cellular::SystemControl(this))
    , m_systemControlStatus(m_systemControl->status())
    , m_simStatus(new SIMStatus(this))
{
    connect(m_registration, &Cellular::NetworkRegistration::modeChanged, this, &KorvaUI::nrModeChanged);
    connect(m_registration, &Cellular::NetworkRegistration::statusWithRejectCodeChanged, this,
        &KorvaUI::nrStatusChanged);
    connect(m_systemControl, &Cellular::SystemControl::statusChanged, this, &KorvaUI::scStatusChanged);
    connect(m_simStatus, &SIMStatus::statusComplete, this, &KorvaUI::simRead);
    m_simStatus->status();
    connect(this, &KorvaUI::publishPhoneNetworkSettingsQuery, this, &KorvaUI::showPhoneNetworkSettingsQuery);
}

KorvaUI::~KorvaUI()
{
    delete m_networkQuery;
}

bool KorvaUI::isSimRejected(SIMStatus::Status status)
{
    KTRACE() << status;
    return status == SIMStatus::StatusRejected || status == SIMStatus::StatusRejectedOther;
}

bool KorvaUI::isSimIn(SIMStatus::Status status)
{
    return status != SIMStatus::StatusNoSim;
}

void KorvaUI::showSimRejected()
{
    Q_EMIT showNotification(qtTrId(KorvaText::SimRejected), KorvaFeedback::SimErrorSound);
}

void KorvaUI::simRead(SIMStatus::Status status, SIMError error)
{
    KTRACE() << status << error;
    auto* app = Tarn::Application::instance();
    if (app && app->isPrestarted())
        connect(app, &Tarn::Application::prestartReleased, this, &KorvaUI::prestartReleased,
            Qt::UniqueConnection);
    else if (isSimRejected(status))
        showSimRejected();
    m_lastSimStatus = status;
    m_cardSeen = showsCard(status);
    connect(m_simStatus, &SIMStatus::statusChanged, this, &KorvaUI::simChanged, Qt::UniqueConnection);
}

void KorvaUI::prestartReleased()
{
    KTRACE() << m_lastSimStatus;
    if (isSimRejected(m_lastSimStatus))
        showSimRejected();
}

void KorvaUI::simChanged(SIMStatus::Status status)
{
    KTRACE() << status;
    if (status == SIMStatus::StatusUnknown)
        return;
    if (isSimRejected(status)) {
        showSimRejected();
    } else if (m_cardSeen && !isSimIn(status)) {
        Q_EMIT showNotification(qtTrId(KorvaText::SimRemoved), KorvaFeedback::SimRemoved);
        Q_EMIT dismissNRError();
    }
    m_lastSimStatus = status;
    if (status != SIMStatus::StatusNotReady)
        m_cardSeen = showsCard(status);
}

void KorvaUI::nrModeChanged(int mode)
{
    KTRACE() << mode;
    m_selectionMode = mode;
}

void KorvaUI::scStatusChanged(int status)
{
    KTRACE() << status;
    m_systemControlStatus = status;
}

void KorvaUI::nrStatusChanged(int status, int rejectCode)
{
    KTRACE() << status << rejectCode << "mode:" << m_selectionMode << "prev status:" << m_previousStatus;
    if (m_selectionMode == AutomaticSelection) {
        const auto unusable = [this](int s) {
            return s == LimitedService || (s == NoNetwork && m_systemControlStatus == ModemOn);
        };
        if (status == Searching) {
            m_previousStatus = Searching;
            return;
        }
        if (unusable(status)) {
            if (!unusable(m_previousStatus))
                Q_EMIT publishPhoneNetworkSettingsQuery();
        } else if (status == NoNetwork) {
            m_previousStatus = NoNetwork;
            return;
        } else {
            dismissPhoneNetworkSettingsQuery();
        }
    }
    m_previousStatus = status;
    if (status != Denied)
        return;

    switch (rejectCode) {
    case 0:
        showRefusal(KorvaText::RejectCause2);
        break;
    case 1:
        showRefusal(KorvaText::RejectCause3);
        break;
    case 4:
        showRefusal(KorvaText::RejectCause6);
        break;
    default:
        Q_EMIT showNotification(qtTrId(KorvaText::SimRegistrationFailed), KorvaFeedback::SimErrorSound);
        break;
    }
}

void KorvaUI::showRefusal(const char* titleId)
{
    // One dialog per report; they all close when the card goes.
    auto* box = new Tarn::MessageBox(qtTrId(titleId), qtTrId(KorvaText::ContactOperator), Tarn::Dialog::Ok);
    box->setObjectName(QStringLiteral("networkRefusal"));
    box->setSystemModal(true);
    box->appear(Tarn::Dialog::DestroyWhenDone);
    connect(this, &KorvaUI::dismissNRError, box, &QDialog::accept, Qt::QueuedConnection);
    Haptics::playEvent(box);
}

void KorvaUI::showPhoneNetworkSettingsQuery()
{
    KTRACE() << "Last user selection:" << boolText(m_showNetworkQuery)
             << "dialog:" << boolText(!m_networkQuery.isNull());
    if (m_showNetworkQuery && !m_networkQuery) {
        auto* box = new Tarn::MessageBox(qtTrId(KorvaText::ManualNetworkNeededTitle),
            qtTrId(KorvaText::ManualNetworkNeededText), Tarn::Dialog::Yes | Tarn::Dialog::No);
        box->setObjectName(QStringLiteral("phoneNetworkQuery"));
        m_networkQuery = box;
        box->setSystemModal(true);
        connect(box, &QDialog::accepted, this, &KorvaUI::phoneNetworkSettingsQueryAccepted);
        connect(box, &QDialog::rejected, this, qOverload<>(&KorvaUI::setShowNwQuery));
        box->appear(Tarn::Dialog::DestroyWhenDone);
    }
    if (m_networkQuery)
        Haptics::playEvent(m_networkQuery);
}

void KorvaUI::phoneNetworkSettingsQueryAccepted()
{
    qDebug("Accepted: Bringing up the phone network settings");
    auto* panel = new SystemSettings::SettingsPanel(QString(), this);
    if (!panel->appletPage(QStringLiteral("Phone network")))
        qWarning("ERROR! Failed to bring up the phone network settings applet");
    delete panel;
}

void KorvaUI::dismissPhoneNetworkSettingsQuery()
{
    if (m_networkQuery) {
        qDebug("Dismissing the query dialog..");
        m_networkQuery->disappear();
    }
    qDebug("Reset last user selection to 'show'");
    setShowNwQuery(true);
}

void KorvaUI::setShowNwQuery(bool show)
{
    KTRACE() << QStringLiteral("%1-->%2").arg(
        QLatin1String(boolText(m_showNetworkQuery)), QLatin1String(boolText(show)));
    m_showNetworkQuery = show;
}

void KorvaUI::setShowNwQuery()
{
    setShowNwQuery(false);
}
