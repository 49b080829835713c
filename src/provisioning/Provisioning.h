#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class ProvisioningDBusAdaptor;

// The user's side of client provisioning: the provisioning engine asks over
// D-Bus for the settings PIN and the access-point choice, and this object
// shows the sheets, sends the answers back as D-Bus signals and turns the
// engine's outcome codes into notifications.
class Provisioning : public QObject
{
    Q_OBJECT
public:
    explicit Provisioning(QObject* parent = nullptr);

    // Called by the D-Bus adaptor.
    void pinQueryReq();
    void notificationReq(const QString& notificationType);
    void iapSelectReq(const QStringList& gprsApNames, const QStringList& mmsApNames);

Q_SIGNALS:
    void iapSelected(QString gprsApName, QString mmsApName);
    void pinEntered(QString pin);
    void showNotification(QString text, QString eventType);
    void NGFEvent(QString event);
    void requestIapSheet(QStringList gprsApNames, QStringList mmsApNames);

private Q_SLOTS:
    void openIapSheet(QStringList gprsApNames, QStringList mmsApNames);
    void enterReleased();
    void cancelReleased();
    void iapSheetFinished(int res);

private:
    // A flood of requests must not open a window each: past this many open
    // sheets a request is answered at once as cancelled (empty values).
    static constexpr int MaxOpenSheets = 3;
    // A settings message names a handful of access points; a list longer
    // than this is refused (answered as cancelled) rather than freezing the
    // phone while a selector of that size is built.
    static constexpr int MaxApNames = 100;
    // An access point's name is a line in a selector. A longer one is
    // refused with its list, not cut: a cut name chosen by the user would
    // name no access point the engine knows.
    static constexpr int MaxApNameLength = 256;
    bool sheetAllowed();

    ProvisioningDBusAdaptor* m_adaptor;
    // Guarded: a sheet deletes itself through the event loop once answered.
    QList<QPointer<QObject>> m_openSheets;
    int m_queuedApSheets = 0;
    // What a cancelled PIN sheet reports.
    QString m_pin;
};
