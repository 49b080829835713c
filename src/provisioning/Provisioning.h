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
    static constexpr int MaxOpenSheets = 8;
    // A settings message names a handful of access points; a list longer
    // than this is refused (answered as cancelled) rather than freezing the
    // phone while a selector of that size is built.
    static constexpr int MaxApNames = 100;
    bool sheetAllowed();

    ProvisioningDBusAdaptor* m_adaptor;
    // Guarded: a sheet deletes itself through the event loop once answered.
    QList<QPointer<QObject>> m_openSheets;
    // What a cancelled PIN sheet reports.
    QString m_pin;
};
