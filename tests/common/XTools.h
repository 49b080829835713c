#pragma once

#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>

// The X display as a user sees it, through xdotool, xprop and xwd.
namespace XTools {

// Window ids whose title matches `name` (a regular expression); waits up to
// `timeoutMs` for at least one when `wait` is set.
QStringList findWindows(const QString& name, bool wait, int timeoutMs = 15000);
bool key(const QString& windowId, const QString& keyName);
// Types `text` (any characters, also outside the keyboard map) into the window.
bool type(const QString& windowId, const QString& text);
bool click(int x, int y);
// The window's frame on screen; empty when it is gone.
QRect geometry(const QString& windowId);
// Taps the left (positive) or right button of a Yes/No dialog.
bool pressDialogButton(const QString& windowId, bool positive);
QString xprop(const QString& windowId, const QString& property);
// Starts `command` as user nobody, let into the test's private buses.
void startAsNobody(QProcess& process, const QStringList& command);
QString run(const QString& program, const QStringList& args, int* exitCode = nullptr, int timeoutMs = 20000);

} // namespace XTools
