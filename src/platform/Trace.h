#pragma once

#include <QDebug>
#include <QString>

// Debug traces open with the calling method's full signature and a colon,
// followed by whatever values the caller streams in.
#define KTRACE() (qDebug().noquote() << QStringLiteral("%1:").arg(QLatin1String(Q_FUNC_INFO)))
