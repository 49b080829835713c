#include "KorvadApp.h"

#include "Korvad.h"
#include "LogOutput.h"
#include <common/Vocabulary.h>

#include <notify/Notifier.h>
#include <platform/Trace.h>
#include <platform/cellular/SystemControl.h>
#include <platform/tarn/MessageBox.h>

#include <QFile>
#include <QRegularExpression>

#include <cstdlib>

KorvadApp::KorvadApp(int& argc, char** argv)
    : Tarn::Application(argc, argv, QString(), nullptr)
{
    LogOutput::syslogInfo("started");
    LogOutput::select(arguments());
    qDebug("Start korvad process ");
    setPrestartMode(Tarn::Application::LazyShutdownMultiWindow);
    setQuitOnLastWindowClosed(false);
    loadStyleSheet(QStringLiteral("korva.qss"));
}

QString KorvadApp::fifoPath()
{
    const QByteArray overridden = qgetenv("KORVAD_UPSTART_FIFO");
    return overridden.isEmpty() ? QStringLiteral("/var/run/upstart.fifo")
                                : QString::fromLocal8Bit(overridden);
}

QByteArray KorvadApp::upstartCommand(const char* token)
{
    QByteArray path = QFile::encodeName(fifoPath());
    // The path goes to a shell: quote anything beyond plain path characters.
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./-]+$"));
    if (!plain.match(QString::fromLocal8Bit(path)).hasMatch())
        path = '\'' + path.replace('\'', "'\\''") + '\'';
    return QByteArray("echo ") + token + " > " + path + ' ';
}

void KorvadApp::startDaemon()
{
    checkModem();
    if (modemFailure) {
        qDebug("Modem failure: korvad is zombie.");
        LogOutput::syslogInfo("Modem failure: korvad is zombie.");
        setApplicationName(applicationName() + QStringLiteral(" ZOMBIE"));
        KTRACE() << "application name:" << applicationName();
        m_zombie = true;
        return;
    }
    daemon = new Korvad(nullptr);
    connect(daemon, &Korvad::updateUpstart, this, &KorvadApp::updateUpstart);
    daemon->startDaemon();
}

void KorvadApp::checkModem()
{
    auto* systemControl = new Cellular::SystemControl(nullptr);
    const int status = systemControl->status();
    modemFailure = status == Cellular::SystemControl::StatusFailed;
    KTRACE() << "system control status:" << status;
    if (modemFailure) {
        updateUpstart(true, false);
        if (!isPrestarted())
            showModemFailure();
    }
    delete systemControl;
}

void KorvadApp::showModemFailure()
{
    KTRACE();
    auto* box = new Tarn::MessageBox(
        qtTrId(KorvaText::ErrorTitle), qtTrId(KorvaText::ModemFailure), Tarn::Dialog::Ok);
    box->setObjectName(QStringLiteral("modemFailureDialog"));
    box->setSystemModal(true);
    connect(box, &QDialog::finished, this, &KorvadApp::updateUpstartDone);
    box->appear(Tarn::Dialog::DestroyWhenDone);

    // A one-shot alert: nobody will stop it, so its notifier need not stay.
    auto* alert = new Notifier(this);
    alert->playNGFEvent(KorvaFeedback::WarningStrong);
    delete alert;
}

void KorvadApp::releasePrestart()
{
    KTRACE() << "modemFailure:" << modemFailure;
    if (modemFailure) {
        showModemFailure();
        modemFailure = false;
    }
}

void KorvadApp::updateUpstart(bool ready, bool done)
{
    KTRACE() << "req:" << ready << done << " - already updated:" << readyReported << doneReported;
    if (ready && !readyReported) {
        readyReported = true;
        const int rc = std::system(upstartCommand("KORVA_READY").constData());
        qDebug().noquote() << "\n\n********** KORVA_READY in" << fifoPath() << rc;
    }
    if (done && !doneReported) {
        doneReported = true;
        const int rc = std::system(upstartCommand("PIN_CODE_DONE").constData());
        qDebug().noquote() << "\n\n********** PIN_CODE_DONE in" << fifoPath() << rc;
    }
}

void KorvadApp::updateUpstartDone()
{
    updateUpstart(false, true);
}
