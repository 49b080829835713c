#include "XTools.h"

#include <QFile>
#include <QHash>
#include <QProcess>

#include <algorithm>

namespace XTools {

QString run(const QString& program, const QStringList& args, int* exitCode, int timeoutMs)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
    }
    if (exitCode)
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

void startAsNobody(QProcess& process, const QStringList& command)
{
    const QString folder = qEnvironmentVariable("KORVA_TEST_TMP");
    QFile::setPermissions(folder, QFile::permissions(folder) | QFile::ExeOther);
    process.start(QStringLiteral("setpriv"),
        QStringList { QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
            QStringLiteral("--clear-groups") }
            + command);
}

QStringList findWindows(const QString& name, bool wait, int timeoutMs)
{
    QStringList args;
    if (wait) {
        // xdotool polls the display itself until the window is there.
        args << QStringLiteral("%1s").arg(timeoutMs / 1000) << QStringLiteral("xdotool")
             << QStringLiteral("search") << QStringLiteral("--sync");
    } else {
        args << QStringLiteral("10s") << QStringLiteral("xdotool") << QStringLiteral("search");
    }
    args << QStringLiteral("--onlyvisible") << QStringLiteral("--name") << name;
    return run(QStringLiteral("timeout"), args, nullptr, timeoutMs + 5000)
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool key(const QString& windowId, const QString& keyName)
{
    int rc = -1;
    // No window manager runs under the tests: focus the window directly and
    // type through XTEST, which Qt treats as real input.
    run(QStringLiteral("xdotool"), { QStringLiteral("windowfocus"), QStringLiteral("--sync"), windowId },
        nullptr);
    run(QStringLiteral("xdotool"), { QStringLiteral("key"), keyName }, &rc);
    return rc == 0;
}

bool type(const QString& windowId, const QString& text)
{
    int rc = -1;
    run(QStringLiteral("xdotool"), { QStringLiteral("windowfocus"), QStringLiteral("--sync"), windowId },
        nullptr);
    // A character outside the keymap is typed through a remapped key; the
    // client must see each new mapping before its key, or the key is lost.
    const bool remapped = std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() > 0x7e; });
    run(QStringLiteral("xdotool"),
        { QStringLiteral("type"), QStringLiteral("--delay"), QLatin1String(remapped ? "80" : "12"),
            QStringLiteral("--"), text },
        &rc);
    return rc == 0;
}

bool click(int x, int y)
{
    int rc = -1;
    // "mousemove --sync" waits for a motion that never comes when the
    // pointer is already there.
    const QString at
        = run(QStringLiteral("xdotool"), { QStringLiteral("getmouselocation"), QStringLiteral("--shell") });
    const bool there
        = at.contains(QStringLiteral("X=%1\n").arg(x)) && at.contains(QStringLiteral("Y=%1\n").arg(y));
    QStringList args { QStringLiteral("mousemove") };
    if (!there)
        args << QStringLiteral("--sync");
    args << QString::number(x) << QString::number(y) << QStringLiteral("click") << QStringLiteral("1");
    run(QStringLiteral("xdotool"), args, &rc);
    return rc == 0;
}

QRect geometry(const QString& windowId)
{
    QHash<QString, int> g;
    const QString shell = run(QStringLiteral("xdotool"),
        { QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), windowId });
    for (const QString& line : shell.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        g.insert(line.section(QLatin1Char('='), 0, 0), line.section(QLatin1Char('='), 1).toInt());
    return QRect(g.value(QStringLiteral("X")), g.value(QStringLiteral("Y")), g.value(QStringLiteral("WIDTH")),
        g.value(QStringLiteral("HEIGHT")));
}

bool pressDialogButton(const QString& windowId, bool positive)
{
    const QRect g = geometry(windowId);
    // The button row: 64 px high, 24 px above the bottom edge.
    return g.width() > 0 && click(g.x() + g.width() * (positive ? 1 : 3) / 4, g.y() + g.height() - 24 - 32);
}

QString xprop(const QString& windowId, const QString& property)
{
    return run(QStringLiteral("xprop"), { QStringLiteral("-id"), windowId, property }).trimmed();
}

bool screenshot(const QString& pngPath)
{
    int rc = -1;
    run(QStringLiteral("sh"),
        { QStringLiteral("-c"), QStringLiteral("xwd -root -silent | convert xwd:- png:'%1'").arg(pngPath) },
        &rc);
    return rc == 0;
}

} // namespace XTools
