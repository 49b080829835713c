#pragma once

#include "CellularIf.h"
#include "SimState.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>

class PinCodeQueryIf;
class QTimer;
class UiWrapper;
namespace Emergency {
class CallHandler;
}
namespace SystemState {
class TouchScreenLock;
}

// The hub of the SIM code queries: owns the SIM adapter, the states, the
// code page and the PIN query D-Bus service; switches the current state when
// a state claims the SIM status, runs what other programs ask for over
// D-Bus, and tells the daemon when the PIN stage of the boot is over.
class QueryManager : public QObject
{
    Q_OBJECT
public:
    // How long the boot waits for a usable SIM before it goes on without the
    // PIN stage.
    static constexpr int StartResponseTimeoutMs = 10000;

    QueryManager(QObject* parent, bool offline);
    ~QueryManager() override;

    // Builds the page, hidden, when the SIM asks for a code; once.
    void prepareUi();

    // For the states and validators.
    void setCurrentState(SimState* state);
    SimState* current() const { return currentState; }
    void connectUi(SimState* state);
    void disconnectUi(SimState* state);
    void createUi(const QString& title, const QString& hint, bool enableEscape, bool titleAsError);
    void createUi(const QString& title, bool enableEscape);
    void setUiTitle(const QString& text, bool);
    void setUiHint(const QString& text, int timeout);
    void setUiError(const QString& text);
    void clearCode(bool block);
    void setMaxLen(int max);
    void appearUi();
    void showNote(const QString& text);
    bool checkSIMError(SIMError error);
    void showGeneralSimError();
    void verifyPIN(const QString& code);
    void verifyPUK(const QString& puk, const QString& newPin);
    void changePIN(const QString& oldPin, const QString& newPin);
    void enablePINQuery(const QString& code);
    void disablePINQuery(const QString& code);
    void pinQueryState();
    void pinAttemptsLeft();
    bool isPrestarted() const;
    void emitNGFEvent(const QString& event);
    void startDialerUi();
    void startEmergencyCall(const QString& number);

    UiWrapper* uiWrapper() const { return ui; }
    bool isLaunchRequested() const { return launchRequested; }

Q_SIGNALS:
    void statusChanged(SIMStatus::Status status);
    void statusComplete(SIMStatus::Status status, SIMError error);
    void verifyPINComplete(bool success, SIMError error);
    void verifyPUKComplete(bool success, SIMError error);
    void pinAttemptsLeftComplete(int attempts, SIMError error);
    // Relayed for callers that connect to it; the SIM adapter has no such
    // completion, so nothing emits it.
    void pukAttemptsLeftComplete(int attempts, SIMError error);
    void changePINComplete(bool success, SIMError error);
    void enablePINQueryComplete(SIMError error);
    void disablePINQueryComplete(SIMError error);
    void pinQueryStateComplete(SIMSecurity::PINQuery state, SIMError error);
    void updateUpstart(bool ready, bool done);
    void pinQueryEnabledResponse(SIMSecurity::PINQuery state);
    void pinQueryShownResponse();
    void pinQueryDoneResponse(bool ok);
    void enterReleased(const QString& code);
    void cancelReleased();
    void emergencyReleased(const QString& code);
    void maxLengthExeeded();
    void showNotification(QString notifText, QString id);
    void NGFEvent(QString event);
    void stopNGFEvent(QString event);
    void closeNote();
    void operationDone(bool success);

public Q_SLOTS:
    void enablePinQueryRequested(bool enabled);
    bool launchPinQuery(SIMSecurity::PINType pinType);
    void changePinCode();
    void updateEmergencyMode(const QString& code);
    void onEmergencyReleased(const QString& code);
    void cancelQuery();
    void showSystemNote(const QString& text, const QString& type);
    void startResponseTimeout();
    void startResponse();

private Q_SLOTS:
    void operationCompleted(SIMStatus::Status status, SIMError error);
    void operationCompleted(bool ok);
    void enablePinCompleted(SIMSecurity::PINQuery state);
    void emitLaunchResponse(bool ok);
    void emitStartResponse();
    void emitStartResponse(bool ready, bool done);
    void simStatusCompleted(SIMStatus::Status status, SIMError error);
    void callStarted();
    void callDone();
    void prestartReleased();
    void clearUiHint();
    void playPinQueryHaptic();
    void cancelPinQueryHaptic();

private:
    void showUi(bool keepWhenDone);
    void closeUi();
    void unLockScreen();
    void connectOperationComplete(SimState* state, bool on);
    void answerStart(bool launchMissing);

    UiWrapper* ui;
    SimState* currentState = nullptr;
    PinCodeQueryIf* dbus = nullptr;
    CellularIf* cellular = nullptr;
    Emergency::CallHandler* callHandler = nullptr;
    SystemState::TouchScreenLock* locks = nullptr;
    SimState* pinState = nullptr;
    SimState* simOkState = nullptr;
    SimState* pukState = nullptr;
    SimState* idleState = nullptr;
    bool launchRequested = false;
    // The boot's start response has been given (KORVA_READY asked for).
    bool startAnswered = false;
    // The start window: the SIM's state was not known when the start response
    // was due, and the boot waits (at most StartResponseTimeoutMs) for it.
    bool waitingForSim = false;
    // PIN_CODE_DONE has been asked for.
    bool stageOver = false;
    // A PIN or PUK query was started and has not been reported done.
    bool queryStarted = false;
    bool deferredKeepWhenDone = false;
    // A show request made while prestarted, replayed at the release.
    bool deferredShow = false;
    bool offline;
    QPointer<QTimer> hintTimer;
    QHash<QString, QString> pendingHints;
    // Notes asked for while prestarted: nothing may appear before the release.
    QList<QPair<QString, QString>> deferredNotes;
};
