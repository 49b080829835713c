#include "Application.h"

#include "../Trace.h"
#include "ApplicationService.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QFile>
#include <QFileInfo>
#include <QWidget>

#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifndef KORVA_THEME_DIR
#define KORVA_THEME_DIR "/usr/share/korvad/theme"
#endif

namespace Tarn {

namespace {

// Lowest message kind the toolkit's own handler lets through.
int g_outputLevel = QtWarningMsg;

int severity(QtMsgType type)
{
    // QtInfoMsg sorts after QtFatalMsg numerically; rank it with debug.
    switch (type) {
    case QtDebugMsg:
    case QtInfoMsg:
        return 0;
    case QtWarningMsg:
        return 1;
    case QtCriticalMsg:
        return 2;
    case QtFatalMsg:
        return 3;
    }
    return 0;
}

void toolkitMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& msg)
{
    if (severity(type) >= g_outputLevel || type == QtFatalMsg) {
        static const char* const kinds[] = { "Debug", "Warning", "Critical", "Fatal" };
        const QByteArray app = QCoreApplication::applicationName().toLocal8Bit();
        std::fprintf(
            stderr, "%s: %s: %s\n", app.constData(), kinds[severity(type)], msg.toLocal8Bit().constData());
    }
    if (type == QtFatalMsg)
        std::abort();
}

bool hasArg(int argc, char** argv, const char* name)
{
    for (int i = 1; i < argc; ++i)
        if (argv[i] && std::strcmp(argv[i], name) == 0)
            return true;
    return false;
}

void applyOutputLevel(int argc, char** argv)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-output-level") != 0)
            continue;
        const char* level = argv[i + 1];
        if (std::strcmp(level, "debug") == 0)
            g_outputLevel = 0;
        else if (std::strcmp(level, "warning") == 0)
            g_outputLevel = 1;
        else if (std::strcmp(level, "critical") == 0)
            g_outputLevel = 2;
        else if (std::strcmp(level, "none") == 0)
            g_outputLevel = 4;
    }
}

void printToolkitHelp(const char* binary)
{
    std::fprintf(stderr,
        "\nUsage: %s [options]\n"
        "\t[-prestart] Start prestarted: stay window-less until released over the session bus.\n"
        "\t[-output-level debug|warning|critical|none] Lowest kind of message printed.\n"
        "\t[-h] This help.\n\n",
        binary);
}

} // namespace

Application::Application(int& argc, char** argv, const QString& appIdentifier, ApplicationService* service)
    : QApplication(argc, argv)
    , m_identifier(appIdentifier)
{
    if (hasArg(argc, argv, "-h")) {
        printToolkitHelp(argc > 0 ? argv[0] : "application");
        std::exit(0);
    }
    applyOutputLevel(argc, argv);
    qInstallMessageHandler(toolkitMessageHandler);

    if (m_identifier.isEmpty())
        m_identifier = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    if (m_identifier.isEmpty())
        m_identifier = QStringLiteral("application");
    m_prestarted = hasArg(argc, argv, "-prestart");

    if (!service)
        service = new ApplicationService(this);
    Q_UNUSED(service);
    registerOnSessionBus();
}

Application::~Application() = default;

Application* Application::instance()
{
    return qobject_cast<Application*>(QCoreApplication::instance());
}

void Application::setPrestartMode(PrestartMode mode)
{
    m_prestartMode = mode;
}

QString Application::serviceName() const
{
    return QStringLiteral("com.vexa.") + m_identifier;
}

QString Application::releasePath()
{
    return QStringLiteral("/com/vexa/korvad");
}

QString Application::releaseInterface()
{
    return QStringLiteral("com.vexa.korvad.Application");
}

void Application::registerOnSessionBus()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qWarning("No session bus: the prestart cannot be released over D-Bus");
        return;
    }
    if (!bus.registerObject(releasePath(), this, QDBusConnection::ExportAdaptors))
        qWarning("Cannot export %s on the session bus", qPrintable(releasePath()));
    if (bus.registerService(serviceName()))
        return;
    // A name that is simply taken is no error of the bus: ask who has it.
    const QDBusError error = bus.interface()->lastError();
    const QDBusReply<QString> owner = bus.interface()->serviceOwner(serviceName());
    if (owner.isValid() && owner.value() != bus.baseService()) {
        m_serviceNameTaken = true;
        qWarning("Cannot own %s on the session bus: %s has it", qPrintable(serviceName()),
            qPrintable(owner.value()));
    } else {
        qWarning("Cannot own %s on the session bus: %s %s", qPrintable(serviceName()),
            qPrintable(error.name()), qPrintable(error.message()));
    }
}

QStringList Application::themeDirs()
{
    return { QCoreApplication::applicationDirPath() + QStringLiteral("/theme"),
        QStringLiteral(KORVA_THEME_DIR) };
}

bool Application::loadStyleSheet(const QString& fileName)
{
    for (const QString& dir : themeDirs()) {
        QFile file(dir + QLatin1Char('/') + fileName);
        if (file.open(QIODevice::ReadOnly)) {
            setStyleSheet(QString::fromUtf8(file.readAll()));
            return true;
        }
    }
    qWarning("Theme %s not found: using the plain style", qPrintable(fileName));
    return false;
}

void Application::release()
{
    if (!m_prestarted) {
        KTRACE() << "not prestarted, nothing to release";
        return;
    }
    m_prestarted = false;
    releasePrestart();
    // The daemon's own pages first: one may hold the screen before the
    // questions that waited come up.
    Q_EMIT prestartReleased();
    showWaiting();
}

bool Application::mayShow(QWidget* window, WindowKind kind, std::function<void()> show)
{
    if (!mustWait(kind))
        return true;
    m_waiting.removeIf([window](const Waiting& w) { return !w.window || w.window == window; });
    m_waiting.append({ window, kind, std::move(show) });
    KTRACE() << window << (kind == Question ? "question" : "passive") << "waits;" << m_waiting.size()
             << "waiting";
    return false;
}

bool Application::cancelShow(QWidget* window)
{
    const auto before = m_waiting.size();
    m_waiting.removeIf([window](const Waiting& w) { return w.window == window; });
    return m_waiting.size() < before;
}

void Application::holdScreen(QObject* holder, bool hold)
{
    if (hold == m_holders.contains(holder))
        return;
    KTRACE() << holder << hold;
    if (hold) {
        m_holders.append(holder);
        connect(holder, &QObject::destroyed, this, [this, holder] { holdScreen(holder, false); });
        if (m_holders.size() == 1)
            Q_EMIT screenHeldChanged(true);
        return;
    }
    m_holders.removeOne(holder);
    disconnect(holder, &QObject::destroyed, this, nullptr);
    if (!m_holders.isEmpty())
        return;
    Q_EMIT screenHeldChanged(false);
    showWaiting();
}

void Application::showWaiting()
{
    // One at a time, from the front: a window coming up may hold the
    // screen again or ask for another.
    for (;;) {
        const auto it = std::find_if(m_waiting.begin(), m_waiting.end(),
            [this](const Waiting& w) { return !w.window || !mustWait(w.kind); });
        if (it == m_waiting.end())
            return;
        const Waiting next = *it;
        m_waiting.erase(it);
        if (next.window)
            next.show();
    }
}

void Application::releasePrestart() { }

} // namespace Tarn
