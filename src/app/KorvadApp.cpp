#include "KorvadApp.h"

#include "Korvad.h"
#include "LogOutput.h"
#include "SystemdNotifier.h"
#include <common/Vocabulary.h>

#include <notify/Notifier.h>
#include <platform/Trace.h>
#include <platform/cellular/SystemControl.h>
#include <platform/tarn/MessageBox.h>

#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QRegularExpression>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Shared with the SIGINT handler.
volatile sig_atomic_t g_interrupted = 0;
volatile sig_atomic_t g_writerPid = 0;

} // namespace

KorvadApp::KorvadApp(int& argc, char** argv)
    : Tarn::Application(argc, argv, QString(), nullptr)
{
    LogOutput::syslogInfo("started");
    LogOutput::select(arguments());
    qDebug("Start korvad process ");
    // A GUI on the user's display has no business holding root's rights.
    if (::geteuid() == 0)
        qWarning("korvad runs as root: run it as the phone's user, a member of the korvad group");
    m_systemd = new SystemdNotifier(this);
    m_systemd->status("Checking the modem");
    setPrestartMode(Tarn::Application::LazyShutdownMultiWindow);
    setQuitOnLastWindowClosed(false);
    loadStyleSheet(QStringLiteral("korva.qss"));
    // The font database's first scan and match take ~8 ms of the PIN page's
    // first build: they run here while the start waits for the modem services.
    m_fontWarmup = std::thread([] { QFontMetrics(QFont()).horizontalAdvance(QLatin1Char('0')); });
}

KorvadApp::~KorvadApp()
{
    if (m_fontWarmup.joinable())
        m_fontWarmup.join();
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
    static const QRegularExpression plain(
        QRegularExpression::anchoredPattern(QStringLiteral("[A-Za-z0-9_./-]+")));
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
        m_systemd->status("Modem failure: only its error is shown");
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
    connect(box, &QDialog::finished, this, [this] {
        if (isShuttingDown())
            KTRACE() << "closed by the shutdown, not by the user";
        else
            updateUpstartDone();
    });
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
        // systemd first: a fifo nobody reads would hold it back.
        m_systemd->ready("Ready; PIN stage running");
        // The start-up sequence launches the PIN query on this token: the
        // page is built while the shell delivers it, on the other core.
        writeToken("KORVA_READY", [this] {
            if (daemon)
                daemon->prepareForLaunch();
        });
    }
    if (done && !doneReported) {
        doneReported = true;
        m_systemd->pinStageOver();
        writeToken("PIN_CODE_DONE");
    }
}

bool KorvadApp::writeToken(const char* token, const std::function<void()>& meanwhile)
{
    const QByteArray path = QFile::encodeName(fifoPath());
    // The shell would create a missing file, truncate a regular one and
    // write through a link: only an existing fifo gets the token.
    struct stat st;
    if (::lstat(path.constData(), &st) != 0 || !S_ISFIFO(st.st_mode)) {
        qWarning("%s not delivered: %s is not a fifo", token, path.constData());
        return false;
    }
    if (g_interrupted) {
        qWarning("%s not delivered: interrupted", token);
        return false;
    }
    // As system() does, but without ignoring SIGINT while the shell waits
    // for a reader.
    QByteArray command = upstartCommand(token);
    char shell[] = "sh";
    char dashC[] = "-c";
    char* const argv[] = { shell, dashC, command.data(), nullptr };
    pid_t child = 0;
    if (::posix_spawn(&child, "/bin/sh", nullptr, nullptr, argv, environ) != 0) {
        qWarning("%s not delivered: cannot start /bin/sh", token);
        return false;
    }
    g_writerPid = child;
    if (g_interrupted)
        ::kill(child, SIGKILL);
    else if (meanwhile)
        meanwhile();
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) { }
    g_writerPid = 0;
    if (WIFSIGNALED(status) && g_interrupted) {
        qWarning("%s not delivered: interrupted", token);
        return false;
    }
    qDebug().noquote() << "\n\n**********" << token << "in" << fifoPath() << status;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void KorvadApp::interrupt()
{
    g_interrupted = 1;
    if (g_writerPid > 0)
        ::kill(pid_t(g_writerPid), SIGKILL);
}

void KorvadApp::shutDown()
{
    setShuttingDown();
    quit();
}

void KorvadApp::updateUpstartDone()
{
    updateUpstart(false, true);
}
