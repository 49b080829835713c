#include "QueryManager.h"

#include "PinCodeQueryIf.h"
#include "SimStateOk.h"

#include <common/Vocabulary.h>
#include <platform/Trace.h>
#include <platform/emergency/CallHandler.h>
#include <platform/system/TouchScreenLock.h>
#include <platform/tarn/Application.h>
#include <platform/tarn/Banner.h>
#include <ui/PinCodeQueryUI.h>
#include <ui/PinUiWidget.h>
#include <ui/UiWrapper.h>

#include <QTimer>

#include <utility>

namespace {
// Page texts in the log, quoted so an empty one shows. They are never codes.
QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}
} // namespace

QueryManager::QueryManager(QObject* parent, bool offline)
    : QObject(parent)
    , offline(offline)
{
    KTRACE() << "offline:" << offline;
    Cellular::SIM::registerMetaTypes();

    ui = new UiWrapper(this);
    connect(ui, &UiWrapper::backButtonClicked, this, &QueryManager::cancelQuery);
    connect(ui, &UiWrapper::codeChanged, this, &QueryManager::updateEmergencyMode);
    connect(ui, &UiWrapper::maxLengthExeeded, this, &QueryManager::maxLengthExeeded);
    connect(ui, qOverload<const QString&>(&UiWrapper::enterReleased), this, &QueryManager::enterReleased);
    connect(
        ui, qOverload<const QString&>(&UiWrapper::enterReleased), this, &QueryManager::updateEmergencyMode);
    connect(ui, &UiWrapper::cancelReleased, this, &QueryManager::cancelReleased);
    connect(ui, qOverload<const QString&>(&UiWrapper::emergencyReleased), this,
        &QueryManager::onEmergencyReleased);
    connect(
        ui, qOverload<const QString&>(&UiWrapper::emergencyReleased), this, &QueryManager::emergencyReleased);

    cellular = new CellularIf(this);
    connect(cellular, &CellularIf::verifyPINComplete, this, &QueryManager::verifyPINComplete);
    connect(cellular, &CellularIf::pinAttemptsLeftComplete, this, &QueryManager::pinAttemptsLeftComplete);
    connect(cellular, &CellularIf::verifyPUKComplete, this, &QueryManager::verifyPUKComplete);
    connect(cellular, &CellularIf::changePINComplete, this, &QueryManager::changePINComplete);
    connect(cellular, &CellularIf::pinQueryStateComplete, this, &QueryManager::pinQueryStateComplete);
    connect(cellular, &CellularIf::enablePINQueryComplete, this, &QueryManager::enablePINQueryComplete);
    connect(cellular, &CellularIf::disablePINQueryComplete, this, &QueryManager::disablePINQueryComplete);
    connect(cellular, &CellularIf::statusComplete, this, &QueryManager::simStatusCompleted);
    connect(cellular, &CellularIf::statusChanged, this, &QueryManager::statusChanged);

    callHandler = new Emergency::CallHandler(this);
    connect(callHandler, &Emergency::CallHandler::callStarted, this, &QueryManager::callStarted);
    connect(callHandler, &Emergency::CallHandler::callDone, this, &QueryManager::callDone);

    idleState = createState(SIMStatus::StatusUnknown, this, this);
    currentState = idleState;
    pinState = createState(SIMStatus::StatusPinRequired, this, this);
    pukState = createState(SIMStatus::StatusPukRequired, this, this);
    simOkState = createState(SIMStatus::StatusOk, this, this);
    // Only a switch asked for here runs there, so each of its ends answers one.
    if (auto* ok = qobject_cast<SimStateOk*>(simOkState))
        connect(ok, &SimStateOk::enablePinComplete, this, &QueryManager::enablePinCompleted);

    connect(this, &QueryManager::operationDone, this, qOverload<>(&QueryManager::emitStartResponse));
    if (auto* app = Tarn::Application::instance())
        connect(app, &Tarn::Application::prestartReleased, this, &QueryManager::prestartReleased);

    dbus = new PinCodeQueryIf(this);
    connect(this, &QueryManager::pinQueryEnabledResponse, dbus, &PinCodeQueryIf::pinQueryEnabledResponse,
        Qt::QueuedConnection);
    connect(this, &QueryManager::pinQueryShownResponse, dbus, &PinCodeQueryIf::pinQueryShownResponse,
        Qt::QueuedConnection);
    connect(this, &QueryManager::pinQueryDoneResponse, dbus, &PinCodeQueryIf::pinQueryDoneResponse,
        Qt::QueuedConnection);
    connect(this, &QueryManager::pinQueryStateComplete, dbus, &PinCodeQueryIf::pinQueryStateCompletedResponse,
        Qt::QueuedConnection);

    // The manager handles a cancel only after the current state has seen it.
    connect(this, &QueryManager::cancelReleased, this, &QueryManager::cancelQuery, Qt::QueuedConnection);

    cellular->simStatus();

    hintTimer = new QTimer(this);
    hintTimer->setSingleShot(true);
    connect(hintTimer, &QTimer::timeout, this, &QueryManager::clearUiHint);
}

QueryManager::~QueryManager()
{
    if (hintTimer)
        hintTimer->stop();
    ui->setParent(nullptr);
    ui->deleteLater();
}

// --- requests from outside -----------------------------------------------

bool QueryManager::launchPinQuery(SIMSecurity::PINType pinType)
{
    Q_UNUSED(pinType)
    launchRequested = true;
    if (waitingForSim && !currentState->isCodeQuery()) {
        // Nothing is known of the SIM yet (a modem coming up reports "not
        // ready", even "ready" for a moment): the query starts when the SIM
        // asks for a code; the start window ends the stage otherwise.
        KTRACE() << "held: status" << currentState->status();
        return true;
    }
    bool result = false;
    if (currentState->operation() == SimState::NoOperation) {
        result = currentState->startOperation(SimState::CodeQueryOperation);
        if (!result)
            operationCompleted(false);
        else if (currentState->isCodeQuery())
            queryStarted = true;
    }
    KTRACE() << "state" << currentState->status() << "return:" << result;
    return result;
}

void QueryManager::changePinCode()
{
    KTRACE();
    currentState->startOperation(SimState::ChangePinOperation);
}

void QueryManager::enablePinQueryRequested(bool enabled)
{
    KTRACE() << enabled;
    // Each request gets one answer: the refusal of this one must leave the
    // running switch's answer to come.
    if (!currentState->startOperation(
            enabled ? SimState::EnableQueryOperation : SimState::DisableQueryOperation))
        enablePinCompleted(SIMSecurity::QueryStateUnknown);
}

void QueryManager::enablePinCompleted(SIMSecurity::PINQuery state)
{
    KTRACE() << "Emit Enable PIN response" << state;
    Q_EMIT pinQueryEnabledResponse(state);
}

// --- states ----------------------------------------------------------------

void QueryManager::connectOperationComplete(SimState* state, bool on)
{
    // Each state declares its own completion signal.
    if (on)
        connect(state, SIGNAL(operationComplete(SIMStatus::Status, SIMError)), this,
            SLOT(operationCompleted(SIMStatus::Status, SIMError)), Qt::UniqueConnection);
    else
        disconnect(state, SIGNAL(operationComplete(SIMStatus::Status, SIMError)), this,
            SLOT(operationCompleted(SIMStatus::Status, SIMError)));
}

void QueryManager::setCurrentState(SimState* newState)
{
    KTRACE() << "from" << currentState << currentState->status() << "to" << newState << newState->status();
    if (newState != currentState) {
        const SIMStatus::Status from = currentState->status();
        const SIMStatus::Status to = newState->status();
        const bool queryRunning
            = currentState->isCodeQuery() && currentState->operation() != SimState::NoOperation;
        if ((from == SIMStatus::StatusPinRequired || from == SIMStatus::StatusOk)
            && to == SIMStatus::StatusPukRequired) {
            pendingHints.insert(qtTrId(KorvaText::PukQueryTitle), qtTrId(KorvaText::PukSimLocked));
            Q_EMIT NGFEvent(KorvaFeedback::WarningTacticon);
            clearCode(true);
        } else if (to == SIMStatus::StatusOk && queryRunning) {
            Q_EMIT operationDone(true);
        } else if (!newState->isCodeQuery() && queryRunning) {
            // The card went away or was rejected while its code was asked:
            // that query is over, and it failed.
            Q_EMIT operationDone(false);
        } else if (to == SIMStatus::StatusOk && startAnswered && !waitingForSim && !stageOver) {
            // Unlocked without a query of ours: nothing is left to ask. (Inside
            // the start window a SIM that has just come up may read as ready
            // before it has been asked for its lock; the window decides there.)
            emitStartResponse();
        }
        currentState->finishOperation();
        connectOperationComplete(newState, true);
        connectOperationComplete(currentState, false);
        connect(this, &QueryManager::operationDone, this, &QueryManager::emitLaunchResponse,
            Qt::UniqueConnection);
        KTRACE() << "old" << currentState << "new" << newState;
        currentState = newState;
    }
    if (waitingForSim) {
        if (!currentState->isCodeQuery())
            return; // nothing to ask yet, and nothing to end
        // A SIM that asks for a code inside the start window gets its page,
        // launched or not; from here on the query decides the stage.
        waitingForSim = false;
        launchRequested = true;
    }
    if (!launchRequested)
        return;
    if (currentState->startOperation(SimState::CodeQueryOperation)) {
        queryStarted = queryStarted || currentState->isCodeQuery();
    } else if (currentState->operation() == SimState::NoOperation) {
        closeUi(); // a running query keeps its page
    }
}

void QueryManager::connectUi(SimState* state)
{
    KTRACE() << state->metaObject()->className();
    connect(this, &QueryManager::cancelReleased, state, &SimState::cancelReleased, Qt::UniqueConnection);
    connect(this, &QueryManager::enterReleased, state, &SimState::enterReleased, Qt::UniqueConnection);
    connect(this, &QueryManager::maxLengthExeeded, state, &SimState::maxLengthExeeded, Qt::UniqueConnection);
}

void QueryManager::disconnectUi(SimState* state)
{
    disconnect(this, &QueryManager::cancelReleased, state, &SimState::cancelReleased);
    disconnect(this, &QueryManager::enterReleased, state, &SimState::enterReleased);
    disconnect(this, &QueryManager::maxLengthExeeded, state, &SimState::maxLengthExeeded);
}

void QueryManager::operationCompleted(SIMStatus::Status status, SIMError error)
{
    KTRACE() << status << error;
    // A wrong PIN keeps the page: the PIN state asks again.
    if (status == SIMStatus::StatusPinRequired && error == Cellular::SIM::WrongCode)
        return;
    operationCompleted(error == Cellular::SIM::NoError);
}

void QueryManager::operationCompleted(bool ok)
{
    KTRACE() << "succesfully:" << ok;
    offline = false;
    closeUi();
    Q_EMIT closeNote();
    Q_EMIT operationDone(ok);
}

void QueryManager::emitLaunchResponse(bool ok)
{
    KTRACE() << "Response:" << ok << "query started:" << queryStarted;
    // Only a query that ran ends: the start response of a SIM that still
    // wants its code, or the end of the start window, is no "done".
    if (std::exchange(queryStarted, false))
        Q_EMIT pinQueryDoneResponse(ok);
}

void QueryManager::cancelQuery()
{
    KTRACE() << currentState->operation();
    if (currentState->operation() == SimState::NoOperation) {
        // Nothing runs any more (a late cancel): only the page goes.
        closeUi();
        return;
    }
    currentState->finishOperation();
    operationCompleted(false);
}

void QueryManager::startResponseTimeout()
{
    KTRACE() << "launchRequested:" << launchRequested << "waiting:" << waitingForSim;
    if (!waitingForSim)
        return; // a query took the stage over
    waitingForSim = false;
    // Nothing asked in time: the boot goes on, and a SIM that asks later
    // gets its page without a launch.
    launchRequested = true;
    emitStartResponse();
}

void QueryManager::startResponse()
{
    Q_EMIT operationDone(true);
}

// --- boot stages -----------------------------------------------------------

void QueryManager::simStatusCompleted(SIMStatus::Status status, SIMError error)
{
    KTRACE() << status << error;
    if (checkSIMError(error))
        Q_EMIT statusChanged(status);
    if (!dbus->isRegistered())
        dbus->registerService();
    const bool prestarted = isPrestarted();
    KTRACE() << "isPrestarted()" << prestarted;
    if (!prestarted) {
        emitStartResponse(true, false);
        answerStart(false);
    } else if (!currentState->isCodeQuery()) {
        emitStartResponse(true, false);
    }
    // Unless built while the ready token went out: now, before a launch.
    prepareUi();
}

void QueryManager::prepareUi()
{
    // A SIM that asks for a code will have its page shown soon: build it off
    // the launch path, so the launch only shows it.
    if (currentState->isCodeQuery())
        ui->prepare();
}

void QueryManager::emitStartResponse()
{
    if (isPrestarted())
        emitStartResponse(true, false);
    else
        emitStartResponse(false, true);
}

void QueryManager::emitStartResponse(bool ready, bool done)
{
    KTRACE() << ready << done;
    if (stageOver && done)
        return;
    Q_EMIT updateUpstart(ready, done);
    if (done) {
        stageOver = true;
        waitingForSim = false;
        disconnect(this, &QueryManager::operationDone, this, qOverload<>(&QueryManager::emitStartResponse));
    }
}

void QueryManager::answerStart(bool launchMissing)
{
    startAnswered = true;
    const SIMStatus::Status status = currentState->status();
    waitingForSim = status == SIMStatus::StatusUnknown || status == SIMStatus::StatusNotReady;
    currentState->emitStartResponse(launchMissing);
}

void QueryManager::prestartReleased()
{
    KTRACE() << "Current state:" << currentState << "launchRequested:" << launchRequested;
    if (auto* app = Tarn::Application::instance())
        disconnect(app, &Tarn::Application::prestartReleased, this, &QueryManager::prestartReleased);
    // The daemon is ready now whatever the SIM wants; the PIN stage may end
    // right below and must not be reported before it.
    emitStartResponse(true, false);
    answerStart(!launchRequested);
    if (deferredShow)
        showUi(deferredKeepWhenDone);
    const auto notes = std::exchange(deferredNotes, {});
    for (const auto& note : notes)
        showSystemNote(note.first, note.second);
}

bool QueryManager::isPrestarted() const
{
    auto* app = Tarn::Application::instance();
    return app && app->isPrestarted();
}

// --- the page --------------------------------------------------------------

void QueryManager::showUi(bool keepWhenDone)
{
    const bool prestarted = isPrestarted();
    KTRACE() << "is prestarted?" << prestarted;
    if (prestarted) {
        deferredKeepWhenDone = keepWhenDone;
        deferredShow = true;
        emitStartResponse(true, false);
        return;
    }
    deferredShow = false;
    if (offline) {
        KTRACE() << "initialized in offline - emit cancel to self";
        Q_EMIT cancelReleased();
        offline = false;
        return;
    }
    if (ui->isForced()) {
        playPinQueryHaptic();
        unLockScreen();
    }
    ui->appear(keepWhenDone);
    updateEmergencyMode(ui->code());
    if (currentState->isCodeQuery())
        Q_EMIT pinQueryShownResponse();
}

void QueryManager::createUi(const QString& title, const QString& hint, bool enableEscape, bool titleAsError)
{
    KTRACE() << "existing:" << ui << enableEscape << quoted(title) << titleAsError;
    ui->resetMode();
    ui->setTitle(title, titleAsError);
    ui->setForced(!enableEscape);
    const QString shownHint = pendingHints.contains(title) ? pendingHints.take(title) : hint;
    KTRACE() << "hint:" << quoted(shownHint);
    ui->setHintText(shownHint);
    KTRACE() << currentState->operation() << currentState->status();
    ui->maskCode(true);
    showUi(false);
}

void QueryManager::createUi(const QString& title, bool enableEscape)
{
    createUi(title, QString(), enableEscape, false);
}

void QueryManager::closeUi()
{
    KTRACE() << "ui->isVisible()" << ui->isVisible();
    deferredShow = false;
    cancelPinQueryHaptic();
    clearCode(true);
    ui->resetMode();
    ui->closeUi();
}

void QueryManager::appearUi()
{
    ui->appear(true);
}

void QueryManager::setUiTitle(const QString& text, bool)
{
    KTRACE() << quoted(text);
    ui->setTitleText(text);
}

void QueryManager::setUiHint(const QString& text, int timeout)
{
    KTRACE() << quoted(text) << timeout;
    hintTimer->stop();
    ui->setHintText(text);
    if (!text.isEmpty())
        Q_EMIT NGFEvent(KorvaFeedback::WarningTacticon);
    if (timeout > 0)
        hintTimer->start(timeout);
}

void QueryManager::setUiError(const QString& text)
{
    KTRACE() << quoted(text);
    Q_EMIT NGFEvent(KorvaFeedback::WarningTacticon);
    ui->setErrorText(text);
}

void QueryManager::clearUiHint()
{
    ui->setHintText(QString());
}

void QueryManager::clearCode(bool block)
{
    if (block)
        ui->blockSignals(true);
    ui->removeText();
    ui->blockSignals(false);
}

void QueryManager::setMaxLen(int max)
{
    ui->setMaxLen(max);
}

void QueryManager::playPinQueryHaptic()
{
    Q_EMIT NGFEvent(KorvaFeedback::PinQueryHaptic);
    connect(ui, &UiWrapper::uiClicked, this, &QueryManager::cancelPinQueryHaptic, Qt::UniqueConnection);
}

void QueryManager::cancelPinQueryHaptic()
{
    Q_EMIT stopNGFEvent(KorvaFeedback::PinQueryHaptic);
    disconnect(ui, &UiWrapper::uiClicked, this, &QueryManager::cancelPinQueryHaptic);
}

void QueryManager::unLockScreen()
{
    if (!locks)
        locks = new SystemState::TouchScreenLock(this);
    const bool sent = locks->setState(SystemState::TouchScreenLock::Unlocked);
    KTRACE() << "unlock requested:" << sent;
}

// --- notes -------------------------------------------------------------------

void QueryManager::showNote(const QString& text)
{
    auto* banner = new Tarn::Banner;
    banner->setTitle(text);
    banner->setStyleName(KorvaBanner::Information);
    connect(banner, &Tarn::Banner::clicked, banner, &Tarn::Banner::disappear);
    connect(this, &QueryManager::closeNote, banner, &Tarn::Banner::disappear);
    banner->appear(Tarn::Banner::DestroyWhenDone);
}

void QueryManager::showSystemNote(const QString& text, const QString& type)
{
    if (isPrestarted()) {
        deferredNotes.append({ text, type });
        return;
    }
    Q_EMIT showNotification(text, type);
}

bool QueryManager::checkSIMError(SIMError error)
{
    KTRACE() << error;
    switch (int(error)) {
    case Cellular::SIM::NoError:
        Q_EMIT closeNote();
        return true;
    case Cellular::SIM::WrongCode:
    case Cellular::SIM::QuietFailure:
    case 9:
    case 10:
        return false;
    case Cellular::SIM::SimRejectedError:
        showSystemNote(qtTrId(KorvaText::SimRejected), KorvaFeedback::SimErrorSound);
        return false;
    default:
        KTRACE() << "(" << error << ")";
        showGeneralSimError();
        return false;
    }
}

void QueryManager::showGeneralSimError()
{
    // The stronger feedback when the user is not looking at the query.
    showSystemNote(qtTrId(KorvaText::GeneralSimError),
        ui->isVisible() ? KorvaFeedback::SimErrorSound : KorvaFeedback::SimErrorStrong);
}

void QueryManager::emitNGFEvent(const QString& event)
{
    Q_EMIT NGFEvent(event);
}

// --- the SIM -------------------------------------------------------------------

void QueryManager::verifyPIN(const QString& code)
{
    cellular->verifyPIN(code);
}

void QueryManager::verifyPUK(const QString& puk, const QString& newPin)
{
    cellular->verifyPUK(puk, newPin);
}

void QueryManager::changePIN(const QString& oldPin, const QString& newPin)
{
    cellular->changePIN(oldPin, newPin);
}

void QueryManager::enablePINQuery(const QString& code)
{
    cellular->enablePINQuery(code);
}

void QueryManager::disablePINQuery(const QString& code)
{
    cellular->disablePINQuery(code);
}

void QueryManager::pinQueryState()
{
    cellular->pinQueryState();
}

void QueryManager::pinAttemptsLeft()
{
    cellular->pinAttemptsLeft();
}

// --- emergency calls -------------------------------------------------------

void QueryManager::updateEmergencyMode(const QString& code)
{
    ui->setEmergencyMode(callHandler->isEmergencyNumber(code));
}

void QueryManager::onEmergencyReleased(const QString& code)
{
    if (callHandler->isEmergencyNumber(code))
        startEmergencyCall(code);
    else
        startDialerUi();
}

void QueryManager::startDialerUi()
{
    ui->hideStatusBar(false);
    if (QWidget* page = ui->pageItem())
        callHandler->startDialerUi(page);
}

void QueryManager::startEmergencyCall(const QString& number)
{
    callHandler->startEmergencyCall(number);
}

void QueryManager::callStarted()
{
    const bool onTop = ui->isOnTop();
    KTRACE() << "UI on top:" << onTop;
    // The call screen must be seen.
    if (onTop)
        ui->setWindowOnTop(false);
}

void QueryManager::callDone()
{
    KTRACE();
    ui->restoreForced();
}
