#pragma once

#include "CellularIf.h"

#include <QDBusAbstractAdaptor>

class PinCodeSessionIf;
class QueryManager;

// The PIN query service on the system bus ("com.vexa.korva.pin",
// data/dbus/com.vexa.korva.pin.PinCodeQuery.xml). It only forwards requests
// to the query manager and turns its responses into signals.
class PinCodeQueryIf : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.vexa.korva.pin.PinCodeQuery")
public:
    static constexpr const char* ServiceName = "com.vexa.korva.pin";
    static constexpr const char* ObjectPath = "/com/vexa/korva/pin";
    static constexpr const char* Interface = "com.vexa.korva.pin.PinCodeQuery";

    explicit PinCodeQueryIf(QueryManager* manager);

    bool isRegistered() const;
    bool registerService();
    bool unregisterService();

Q_SIGNALS:
    void PinQueryStateCompleted(int state);
    void PinQueryEnabled(int queryState);
    void PinQueryShown();
    void PinQueryDone(bool queryOk);

public Q_SLOTS:
    Q_NOREPLY void ChangePinCode();
    Q_NOREPLY void PinQueryState(const QString& pinType);
    Q_NOREPLY void EnablePinQuery(bool enable);
    bool LaunchPinQuery(const QString& pinType);

    // Responses of the query manager, connected queued.
    void pinQueryStateCompletedResponse(SIMSecurity::PINQuery state, SIMError error);
    void pinQueryEnabledResponse(SIMSecurity::PINQuery queryState);
    void pinQueryShownResponse();
    void pinQueryDoneResponse(bool queryOk);

private:
    QueryManager* manager;
    PinCodeSessionIf* session;
};
