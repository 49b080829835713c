#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// The daemon's log outputs, chosen once from the command line.
namespace LogOutput {

// "/tmp/korvad.log" unless KORVAD_LOG_FILE names another file.
QString logFilePath();

// Installs the handler the first present option asks for ("-filelog",
// "-log", "-uptimelog"); "-hh" prints the usage text and exits with status 0.
// With none of them the toolkit's handler stays. Whichever it is, messages
// reach it through escaped().
void select(const QStringList& arguments);

// Longest message text logged; the rest is cut, with a mark.
constexpr qsizetype MaxMessageLength = 4096;
// A message fit for one log line: control characters written as escapes
// (\n, \t, \x1b...), except the line feeds that open the daemon's own
// markers, and cut after MaxMessageLength characters.
QString escaped(const QString& message);

void printUsage();

// Message handlers: lines with the seconds since boot on standard error, or
// dated lines appended to the log file. Both abort after a fatal message.
void uptimeHandler(QtMsgType type, const QMessageLogContext& context, const QString& message);
void fileHandler(QtMsgType type, const QMessageLogContext& context, const QString& message);

// Appends one line to the log file; false when the file cannot be used: it
// is not a regular file of the daemon's own user with a single name.
bool appendToLogFile(const QByteArray& line);

// printf-style line to the system log at LOG_INFO, default identity.
void syslogInfo(const char* format, ...) Q_ATTRIBUTE_FORMAT_PRINTF(1, 2);

} // namespace LogOutput
