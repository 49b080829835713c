#pragma once

#include <QObject>

class QueryManager;

// Holds the session-bus name "com.vexa.korva.settings" and mirrors the
// enable and done signals of the system-bus service. It exports no methods:
// the system-bus interface is the whole service.
class PinCodeSessionIf : public QObject
{
    Q_OBJECT
public:
    static constexpr const char* ServiceName = "com.vexa.korva.settings";

    explicit PinCodeSessionIf(QueryManager* manager);

    bool registerService();
    bool unregisterService();

Q_SIGNALS:
    void PinQueryEnabled(int queryState);
    void PinQueryDone();

public Q_SLOTS:
    void ChangePinCode();
    void EnablePinQuery(bool enable);
    void LaunchPinQuery(const QString& pinType);

private:
    QueryManager* manager;
};
