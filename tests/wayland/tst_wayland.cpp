#include <Phone.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QStandardPaths>
#include <QTest>

#include <wayland-client.h>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// The first requests of wlr-virtual-pointer-unstable-v1, in protocol order
// (which fixes their opcodes).
const wl_interface* noTypes[5] = {};
const wl_message pointerRequests[] = {
    { "motion", "uff", noTypes },
    { "motion_absolute", "uuuuu", noTypes },
    { "button", "uuu", noTypes },
    { "axis", "uuf", noTypes },
    { "frame", "", noTypes },
};
const wl_interface pointerInterface = { "zwlr_virtual_pointer_v1", 1, 5, pointerRequests, 0, nullptr };
const wl_interface* createTypes[] = { &wl_seat_interface, &pointerInterface };
const wl_message managerRequests[] = { { "create_virtual_pointer", "?on", createTypes } };
const wl_interface managerInterface
    = { "zwlr_virtual_pointer_manager_v1", 1, 1, managerRequests, 0, nullptr };

// Logical size of the phone output (960x1708 at scale 2), the page's own.
constexpr int Width = 480;
constexpr int Height = 854;

// A full-screen application of one colour that says when it has drawn.
class App : public QWidget
{
public:
    explicit App(const QColor& colour)
        : m_colour(colour)
    {
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).fillRect(rect(), m_colour);
        std::printf("painted\n");
        std::fflush(stdout);
    }
    QColor m_colour;
};

int runApp(int argc, char** argv)
{
    QApplication app(argc, argv);
    App window(QColor(QString::fromLatin1(argv[2])));
    window.showFullScreen();
    return app.exec();
}

} // namespace

// The PIN page on a real Wayland phone compositor (headless phoc): above
// full-screen applications started before and after it, with the keys,
// stepping back for an emergency call; banners and questions above too.
class TestWayland : public QObject
{
    Q_OBJECT

private:
    const QString Pin = u"24681357"_s;
    QProcess phoc;
    QProcess keyboard;
    QTemporaryDir tmp;
    // KORVA_SHOTS_DIR keeps the screenshots.
    const QString shots = qEnvironmentVariableIsEmpty("KORVA_SHOTS_DIR")
        ? tmp.path()
        : qEnvironmentVariable("KORVA_SHOTS_DIR");
    wl_display* display = nullptr;
    wl_proxy* manager = nullptr;
    wl_proxy* pointer = nullptr;
    wl_registry* registry = nullptr;
    QList<QProcess*> apps;

    static void global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t)
    {
        auto* self = static_cast<TestWayland*>(data);
        if (qstrcmp(interface, managerInterface.name) == 0)
            self->manager = static_cast<wl_proxy*>(wl_registry_bind(registry, name, &managerInterface, 1));
    }
    static void globalRemove(void*, wl_registry*, uint32_t) { }

    QProcessEnvironment waylandEnv() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_QPA_PLATFORM"_s, u"wayland"_s);
        env.insert(u"WAYLAND_DISPLAY"_s, u"wayland-0"_s);
        env.remove(u"DISPLAY"_s);
        return env;
    }

    bool run(const QString& program, const QStringList& args)
    {
        QProcess process;
        process.setProcessEnvironment(waylandEnv());
        process.start(program, args);
        return process.waitForFinished(20000) && process.exitCode() == 0;
    }

    QProcess* startApp(const QString& colour)
    {
        auto* app = new QProcess(this);
        apps << app;
        QProcessEnvironment env = waylandEnv();
        // The protocol log on standard error shows every key it is sent.
        env.insert(u"WAYLAND_DEBUG"_s, u"client"_s);
        app->setProcessEnvironment(env);
        app->start(QCoreApplication::applicationFilePath(), { u"--app"_s, colour });
        const bool up = QTest::qWaitFor([&] { return app->peek(4096).contains("painted"); }, 20000);
        return up ? app : nullptr;
    }

    QImage screenshot(const QString& name)
    {
        const QString file = shots + u'/' + name + u".png"_s;
        return run(u"grim"_s, { file }) ? QImage(file).scaled(Width, Height) : QImage();
    }

    // Waits until the centre of the screen (or its top strip) shows `colour`, or not.
    bool shows(const QString& name, const QColor& colour, int y = Height / 2, bool is = true)
    {
        return QTest::qWaitFor(
            [&] { return (screenshot(name).pixelColor(Width / 2, y) == colour) == is; }, 10000);
    }

    // The bottom-left key of the keypad, red while the number is one to call.
    bool emergencyKeyLit(bool lit)
    {
        return QTest::qWaitFor(
            [&] {
                const QColor key = screenshot(u"emergency-key"_s).pixelColor(93, 688);
                return (key.red() > 150 && key.green() < 80) == lit;
            },
            10000);
    }

    // Paced: a client may still be taking the new virtual keyboard's keymap
    // when the first keys come.
    bool type(const QStringList& args)
    {
        return run(u"wtype"_s, QStringList { u"-s"_s, u"100"_s, u"-d"_s, u"20"_s } + args);
    }

    bool tap(int x, int y)
    {
        wl_proxy_marshal(pointer, 1, 0u, uint32_t(x), uint32_t(y), uint32_t(Width), uint32_t(Height));
        wl_proxy_marshal(pointer, 4);
        for (uint32_t state : { 1u, 0u }) {
            wl_proxy_marshal(pointer, 2, 0u, 0x110u /* BTN_LEFT */, state);
            wl_proxy_marshal(pointer, 4);
        }
        // Off the spots the screenshots are read at.
        wl_proxy_marshal(
            pointer, 1, 0u, uint32_t(Width - 2), uint32_t(Height * 3 / 4), uint32_t(Width), uint32_t(Height));
        wl_proxy_marshal(pointer, 4);
        return wl_display_roundtrip(display) >= 0;
    }

private Q_SLOTS:
    void initTestCase()
    {
        for (const char* tool : { "phoc", "wtype", "grim" }) {
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
                QSKIP(qPrintable(u"%1 is not installed"_s.arg(QLatin1String(tool))));
        }
        QFile config(tmp.filePath(u"phoc.ini"_s));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("[core]\nxwayland=false\n[output:HEADLESS-1]\nmode = 960x1708\nscale = 2\n");
        config.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"WLR_BACKENDS"_s, u"headless"_s);
        env.insert(u"WLR_LIBINPUT_NO_DEVICES"_s, u"1"_s);
        env.insert(u"WLR_RENDERER"_s, u"pixman"_s);
        phoc.setProcessEnvironment(env);
        phoc.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer started;
        started.start();
        phoc.start(u"phoc"_s, { u"-C"_s, config.fileName() });
        const QString socket = qEnvironmentVariable("XDG_RUNTIME_DIR") + u"/wayland-0"_s;
        QVERIFY(QTest::qWaitFor(
            [&] { return QFile::exists(socket + u".lock"_s) && QFile::exists(socket); }, 10000));
        display = wl_display_connect(qPrintable(socket));
        QVERIFY(display);
        qInfo("phoc up in %lld ms", started.elapsed());

        // With no input device phoc has no seat; a virtual pointer makes one
        // for wtype's keyboard, and taps the page.
        registry = wl_display_get_registry(display);
        static const wl_registry_listener listener = { &TestWayland::global, &TestWayland::globalRemove };
        wl_registry_add_listener(registry, &listener, this);
        QVERIFY(wl_display_roundtrip(display) >= 0);
        QVERIFY(manager);
        pointer = wl_proxy_marshal_constructor(manager, 0, &pointerInterface, nullptr, nullptr);
        QVERIFY(wl_display_roundtrip(display) >= 0);
        // A keyboard from the start: phoc tells a window it has the keyboard
        // only if one existed when the window was focused.
        keyboard.setProcessEnvironment(waylandEnv());
        keyboard.start(u"wtype"_s, { u"-s"_s, u"3600000"_s, u"-k"_s, u"Escape"_s });
        QVERIFY(keyboard.waitForStarted());
    }

    void cleanup() { qDeleteAll(std::exchange(apps, {})); }

    void cleanupTestCase()
    {
        keyboard.kill();
        keyboard.waitForFinished();
        for (wl_proxy* proxy : { pointer, manager, reinterpret_cast<wl_proxy*>(registry) })
            if (proxy)
                wl_proxy_destroy(proxy);
        if (display)
            wl_display_disconnect(display);
        phoc.terminate();
        phoc.waitForFinished();
    }

    void bootPinPage()
    {
        QProcess* before = startApp(u"#00ff00"_s);
        QVERIFY(before && shows(u"app-before"_s, Qt::green));
        // The control for keys: the application in front gets them.
        QVERIFY(type({ u"5"_s }));
        QByteArray log;
        QTRY_VERIFY((log += before->readAllStandardError()).contains(".key("));
        Phone boot({ { u"pin"_s, Pin } });
        const QProcessEnvironment env = waylandEnv();
        for (const QString& key : { u"QT_QPA_PLATFORM"_s, u"WAYLAND_DISPLAY"_s })
            boot.daemon.environment().insert(key, env.value(key));
        boot.daemon.environment().remove(u"DISPLAY"_s);
        QVERIFY(boot.start());
        QVERIFY(boot.launch() >= 0);
        QVERIFY(boot.waitFor(u"Shown"_s));
        QVERIFY(shows(u"page"_s, Qt::green, Height / 2, false));

        // An application started while the page is up draws beneath it and
        // gets none of the keys.
        QProcess* later = startApp(u"#ff00ff"_s);
        QVERIFY(later);
        QVERIFY(shows(u"page-over-later-app"_s, Qt::magenta, Height / 2, false));

        // 112 and the emergency key: the page steps back for the call and
        // comes back above everything when the call ends.
        QVERIFY(type({ u"112"_s }));
        QVERIFY(emergencyKeyLit(true));
        QVERIFY(tap(93, 688));
        QTRY_VERIFY_WITH_TIMEOUT(!boot.simCalls(u"Dial"_s).isEmpty(), 10000);
        QVERIFY(shows(u"call"_s, Qt::magenta));
        QVERIFY(boot.ofono
                    .control(QLatin1String(Phone::Modem), u"HangupAll"_s, {}, u"org.ofono.VoiceCallManager"_s)
                    .type()
            == QDBusMessage::ReplyMessage);
        QVERIFY(shows(u"after-call"_s, Qt::magenta, Height / 2, false));

        // A banner over the top of the page leaves the page the keys.
        const QColor pageTop = screenshot(u"page-top"_s).pixelColor(Width / 2, 4);
        QVERIFY(Phone::send(u"com.vexa.oma_cp_ui"_s, u"notification_req"_s, { u"settings_received"_s }));
        QVERIFY(shows(u"banner"_s, pageTop, 4, false));
        QVERIFY(screenshot(u"banner"_s).pixelColor(Width / 2, Height / 2) != QColor(Qt::magenta));
        QVERIFY(type({ u"-k"_s, u"BackSpace"_s, u"-k"_s, u"BackSpace"_s, u"-k"_s, u"BackSpace"_s }));
        QVERIFY(emergencyKeyLit(false));
        QVERIFY(type({ Pin, u"-k"_s, u"Return"_s }));
        boot.expectDone(true);
        if (QTest::currentTestFailed())
            return;
        // The control: the page gone, the later application covers the earlier.
        QVERIFY(shows(u"done"_s, Qt::magenta));
        QVERIFY(boot.logKeepsSecret({ Pin }));
        QVERIFY2(!later->readAllStandardError().contains(".key("), "an application got the page's keys");

        // A system question comes above the full-screen application too, centred.
        QVERIFY(Phone::send(u"com.vexa.korva_ui"_s, u"show_error_note"_s, { u"home_notification"_s }));
        QVERIFY(shows(u"question"_s, Qt::magenta, Height / 2, false));
        QVERIFY(screenshot(u"question"_s).pixelColor(20, Height / 2) != QColor(Qt::magenta));
    }
};

int main(int argc, char** argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--app") == 0)
        return runApp(argc, argv);
    QCoreApplication app(argc, argv);
    TestWayland test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_wayland.moc"
