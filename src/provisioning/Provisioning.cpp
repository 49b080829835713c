#include "Provisioning.h"

#include "ProvisioningAPSheet.h"
#include "ProvisioningDBusAdaptor.h"
#include "ProvisioningPinSheet.h"

#include <common/Vocabulary.h>
#include <platform/Trace.h>

namespace {

struct NotificationInfo
{
    const char* type;
    const char* textId;
    const QString& eventType;
};

// Outcome codes of the provisioning engine; any other code shows nothing.
const NotificationInfo kNotifications[] = {
    { "settings_received", KorvaText::SettingsReceivedNotSaved, KorvaFeedback::CellularPositive },
    { "settings_received_updated", KorvaText::SettingsReceivedAndSaved, KorvaFeedback::CellularPositive },
    { "settings_updated", KorvaText::AccessPointsSaved, KorvaFeedback::CellularPositive },
    { "pin_failed", KorvaText::WrongPin, KorvaFeedback::SimError },
};

} // namespace

Provisioning::Provisioning(QObject* parent)
    : QObject(parent)
    , m_adaptor(new ProvisioningDBusAdaptor(*this, this))
{
    connect(this, &Provisioning::pinEntered, m_adaptor, &ProvisioningDBusAdaptor::pin_sig);
    connect(this, &Provisioning::iapSelected, m_adaptor, &ProvisioningDBusAdaptor::iap_selected);
    connect(this, &Provisioning::requestIapSheet, this, &Provisioning::openIapSheet, Qt::QueuedConnection);
}

void Provisioning::notificationReq(const QString& notificationType)
{
    for (const NotificationInfo& info : kNotifications) {
        if (notificationType == QLatin1String(info.type)) {
            Q_EMIT showNotification(qtTrId(info.textId), info.eventType);
            return;
        }
    }
}

bool Provisioning::sheetAllowed()
{
    m_openSheets.removeAll(nullptr);
    if (m_openSheets.size() + m_queuedApSheets < MaxOpenSheets)
        return true;
    qWarning("provisioning: %d sheets already open or on their way; request answered as cancelled",
        int(m_openSheets.size()) + m_queuedApSheets);
    return false;
}

void Provisioning::pinQueryReq()
{
    KTRACE();
    // One sheet per request, even while another is shown: each answers on its own.
    if (!sheetAllowed()) {
        Q_EMIT pinEntered(QString());
        return;
    }
    auto* sheet = new ProvisioningPinSheet;
    m_openSheets.append(sheet);
    connect(sheet, &ProvisioningPinSheet::accepted, this, &Provisioning::enterReleased);
    connect(sheet, &ProvisioningPinSheet::rejected, this, &Provisioning::cancelReleased);
    sheet->appearSystemwide(Tarn::Sheet::KeepWhenDone);
}

void Provisioning::enterReleased()
{
    auto* sheet = qobject_cast<ProvisioningPinSheet*>(sender());
    if (!sheet)
        return;
    sheet->disappear();
    const QString pin = sheet->pinCode();
    // The PIN itself never reaches a log.
    KTRACE() << "PIN length" << pin.size();
    // A second press before the deletion must not answer twice.
    sheet->disconnect(this);
    sheet->deleteLater();
    Q_EMIT pinEntered(pin);
}

void Provisioning::cancelReleased()
{
    KTRACE();
    auto* sheet = qobject_cast<ProvisioningPinSheet*>(sender());
    if (!sheet)
        return;
    sheet->disappear();
    sheet->disconnect(this);
    sheet->deleteLater();
    m_pin.clear();
    Q_EMIT pinEntered(m_pin);
}

void Provisioning::iapSelectReq(const QStringList& gprsApNames, const QStringList& mmsApNames)
{
    if (gprsApNames.size() > MaxApNames || mmsApNames.size() > MaxApNames) {
        qWarning(
            "provisioning: %d data and %d MMS access points is more than %d; request answered as cancelled",
            int(gprsApNames.size()), int(mmsApNames.size()), MaxApNames);
        Q_EMIT iapSelected(QString(), QString());
        return;
    }
    for (const QStringList* names : { &gprsApNames, &mmsApNames }) {
        for (const QString& name : *names) {
            if (name.size() > MaxApNameLength) {
                qWarning("provisioning: an access point name of %lld characters is longer than %d; request "
                         "answered as cancelled",
                    qlonglong(name.size()), MaxApNameLength);
                Q_EMIT iapSelected(QString(), QString());
                return;
            }
        }
    }
    if (!sheetAllowed()) {
        Q_EMIT iapSelected(QString(), QString());
        return;
    }
    ++m_queuedApSheets;
    Q_EMIT requestIapSheet(QStringList(gprsApNames), QStringList(mmsApNames));
}

void Provisioning::openIapSheet(QStringList gprsApNames, QStringList mmsApNames)
{
    KTRACE() << gprsApNames.size() << mmsApNames.size();
    --m_queuedApSheets;
    auto* sheet = new ProvisioningAPSheet(gprsApNames, mmsApNames);
    m_openSheets.append(sheet);
    connect(
        sheet, &ProvisioningAPSheet::finished, this, &Provisioning::iapSheetFinished, Qt::QueuedConnection);
    Q_EMIT NGFEvent(KorvaFeedback::QueryStrong);
    sheet->appearSystemwide(Tarn::Sheet::KeepWhenDone);
}

void Provisioning::iapSheetFinished(int res)
{
    KTRACE() << res;
    auto* sheet = qobject_cast<ProvisioningAPSheet*>(sender());
    if (!sheet)
        return;
    sheet->disappear();
    QString gprsAp;
    QString mmsAp;
    if (res == 0) {
        gprsAp = sheet->selectedGprsAp();
        mmsAp = sheet->selectedMmsAp();
    }
    KTRACE() << "selected Gprs AP:" << gprsAp << "selected Mms AP:" << mmsAp;
    sheet->disconnect(this);
    sheet->deleteLater();
    Q_EMIT iapSelected(gprsAp, mmsAp);
}
