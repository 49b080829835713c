#include "DBusShape.h"

#include <QDBusMessage>
#include <QDebug>

namespace DBusShape {

bool expectShape(const QDBusMessage& message, QLatin1String signature, const char* what)
{
    switch (message.type()) {
    case QDBusMessage::ReplyMessage:
    case QDBusMessage::SignalMessage:
        if (message.signature() == signature)
            return true;
        qWarning("%s: expected arguments (%s), got (%s) from %s; ignored", what, signature.data(),
            qPrintable(message.signature().left(64)), qPrintable(message.service()));
        return false;
    case QDBusMessage::ErrorMessage:
        qWarning("%s: error %s", what, qPrintable(message.errorName().left(128)));
        return false;
    default:
        qWarning("%s: no reply", what);
        return false;
    }
}

} // namespace DBusShape
