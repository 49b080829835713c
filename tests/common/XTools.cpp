#include "XTools.h"

#include <QFile>
#include <QHash>
#include <QProcess>
#include <QSet>

using namespace Qt::StringLiterals;

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
    process.start(
        u"setpriv"_s, QStringList { u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s } + command);
}

QStringList findWindows(const QString& name, bool wait, int timeoutMs)
{
    QStringList args;
    if (wait) {
        // xdotool polls the display itself until the window is there.
        args << u"%1s"_s.arg(timeoutMs / 1000) << u"xdotool"_s << u"search"_s << u"--sync"_s;
    } else {
        args << u"10s"_s << u"xdotool"_s << u"search"_s;
    }
    args << u"--onlyvisible"_s << u"--name"_s << name;
    return run(u"timeout"_s, args, nullptr, timeoutMs + 5000).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool key(const QString& windowId, const QString& keyName)
{
    int rc = -1;
    // No window manager runs under the tests: focus the window directly and
    // type through XTEST, which Qt treats as real input.
    run(u"xdotool"_s, { u"windowfocus"_s, u"--sync"_s, windowId }, nullptr);
    run(u"xdotool"_s, { u"key"_s, keyName }, &rc);
    return rc == 0;
}

// Gives every character of text outside the keymap a key of its own for the
// rest of the run. xdotool would otherwise remap a spare key around each such
// character and restore it at once; a client that reads the new map after the
// restore turns that key into nothing, so a busy machine loses characters.
static void mapKeys(const QString& text)
{
    static QSet<QChar> mapped;
    static QStringList spare;
    QStringList expressions;
    for (const QChar c : text) {
        if (c.unicode() <= 0x7e || mapped.contains(c))
            continue;
        if (spare.isEmpty()) {
            for (const QString& line : run(u"xmodmap"_s, { u"-pke"_s }).split(QLatin1Char('\n'))) {
                const QStringList parts = line.simplified().split(QLatin1Char(' '));
                if (parts.size() == 3 && parts[0] == "keycode"_L1 && parts[2] == "="_L1)
                    spare << parts[1];
            }
        }
        if (spare.isEmpty())
            break;
        mapped.insert(c);
        expressions << u"-e"_s
                    << u"keycode %1 = U%2"_s.arg(spare.takeLast()).arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    if (!expressions.isEmpty())
        run(u"xmodmap"_s, expressions);
}

bool type(const QString& windowId, const QString& text)
{
    int rc = -1;
    mapKeys(text);
    run(u"xdotool"_s, { u"windowfocus"_s, u"--sync"_s, windowId }, nullptr);
    run(u"xdotool"_s, { u"type"_s, u"--delay"_s, u"12"_s, u"--"_s, text }, &rc);
    return rc == 0;
}

bool click(int x, int y)
{
    int rc = -1;
    // "mousemove --sync" waits for a motion that never comes when the
    // pointer is already there.
    const QString at = run(u"xdotool"_s, { u"getmouselocation"_s, u"--shell"_s });
    const bool there = at.contains(u"X=%1\n"_s.arg(x)) && at.contains(u"Y=%1\n"_s.arg(y));
    QStringList args { u"mousemove"_s };
    if (!there)
        args << u"--sync"_s;
    args << QString::number(x) << QString::number(y) << u"click"_s << u"1"_s;
    run(u"xdotool"_s, args, &rc);
    return rc == 0;
}

QRect geometry(const QString& windowId)
{
    QHash<QString, int> g;
    const QString shell = run(u"xdotool"_s, { u"getwindowgeometry"_s, u"--shell"_s, windowId });
    for (const QString& line : shell.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        g.insert(line.section(QLatin1Char('='), 0, 0), line.section(QLatin1Char('='), 1).toInt());
    return QRect(g.value(u"X"_s), g.value(u"Y"_s), g.value(u"WIDTH"_s), g.value(u"HEIGHT"_s));
}

bool pressDialogButton(const QString& windowId, bool positive)
{
    const QRect g = geometry(windowId);
    // The button row: 64 px high, 24 px above the bottom edge.
    return g.width() > 0 && click(g.x() + g.width() * (positive ? 1 : 3) / 4, g.y() + g.height() - 24 - 32);
}

QString xprop(const QString& windowId, const QString& property)
{
    return run(u"xprop"_s, { u"-id"_s, windowId, property }).trimmed();
}

} // namespace XTools
