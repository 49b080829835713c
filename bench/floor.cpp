#include <QApplication>
#include <QDBusConnection>
#include <QLabel>
#include <QTimer>

#include <cstdlib>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QDBusConnection::sessionBus().registerService(QStringLiteral("com.vexa.korvafloor"));
    QLabel window(QStringLiteral("floor"));
    window.show();
    QTimer::singleShot(0, [] {
        const QByteArray cmd = "echo KORVA_READY > '" + qgetenv("KORVAD_UPSTART_FIFO") + "' ";
        [[maybe_unused]] const int rc = std::system(cmd.constData());
    });
    return app.exec();
}
