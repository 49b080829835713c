#pragma once

#include <QDBusAbstractAdaptor>
#include <QStringList>

class Provisioning;

// com.vexa.oma_cp_ui on the system bus. The methods send no reply; the
// answers go out later as the signals. pin_sig carries a secret: the bus
// policy delivers it to the provisioning engine's user only.
class ProvisioningDBusAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.vexa.oma_cp_ui")
public:
    static constexpr const char* ServiceName = "com.vexa.oma_cp_ui";
    static constexpr const char* ObjectPath = "/com/vexa/oma_cp_ui";

    ProvisioningDBusAdaptor(Provisioning& provisioning, QObject* parent);

Q_SIGNALS:
    void iap_selected(const QString& gprsApName, const QString& mmsApName);
    void pin_sig(const QString& pin);

public Q_SLOTS:
    Q_NOREPLY void iap_select_req(const QStringList& gprsApNames, const QStringList& mmsApNames);
    Q_NOREPLY void pin_query_req(bool isRetry);
    Q_NOREPLY void notification_req(const QString& notificationType);

private:
    Provisioning& m_provisioning;
};
