#include "KorvadApp.h"

#include <platform/stacking/WindowStacking.h>
#include <platform/tarn/Locale.h>

#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The only state the signal handler touches.
KorvadApp* volatile g_app = nullptr;
int g_quitPipe[2] = { -1, -1 };

void onInterrupt(int)
{
    if (!g_app)
        return;
    g_app = nullptr;
    KorvadApp::interrupt();
    // Quit from the event loop: nothing else is safe inside a handler.
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_quitPipe[1], &byte, 1);
}

} // namespace

int main(int argc, char** argv)
{
    std::fprintf(stderr, "%s: Start Korvad \n", "main");
    WindowStacking::prepareEnvironment();
    KorvadApp app(argc, argv);
    if (app.serviceNameTaken()) {
        // Two daemons would both report the boot and fight over the SIM.
        qCritical("Another korvad is running (%s is taken): exiting", qPrintable(app.serviceName()));
        return 1;
    }

    auto* locale = new Tarn::Locale;
    locale->installTrCatalog(QStringLiteral("cellular-adaptation"));
    Tarn::Locale::setDefault(locale);

    if (::pipe2(g_quitPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        auto* quitNotifier = new QSocketNotifier(g_quitPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(quitNotifier, &QSocketNotifier::activated, &app, [&app] {
            char byte;
            while (::read(g_quitPipe[0], &byte, 1) > 0) { }
            qDebug("Interrupted: quitting");
            app.shutDown();
        });
        g_app = &app;
        struct sigaction action = {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, nullptr);
    }

    app.startDaemon();
    const int status = app.exec();
    delete locale;
    return status;
}
