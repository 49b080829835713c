#include "DBusShape.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QDebug>
#include <QVariant>

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

QString signatureOf(const QVariant& value)
{
    if (value.metaType() == QMetaType::fromType<QDBusArgument>())
        return value.value<QDBusArgument>().currentSignature();
    if (value.metaType() == QMetaType::fromType<QDBusVariant>())
        return QStringLiteral("v");
    if (!value.isValid())
        return QString();
    return QString::fromLatin1(QDBusMetaType::typeToSignature(value.metaType()));
}

bool expectType(const QVariant& value, QLatin1String signature, const char* what)
{
    const QString actual = signatureOf(value);
    if (actual == signature)
        return true;
    qWarning("%s: expected a value of type %s, got %s; ignored", what, signature.data(),
        qPrintable(actual.isEmpty() ? QStringLiteral("none") : actual.left(64)));
    return false;
}

bool expectProperty(const QVariant& value, QLatin1String signature, const char* service, const QString& name)
{
    if (signature.isEmpty())
        return true;
    const QByteArray what = QByteArray(service) + " property " + name.left(64).toUtf8();
    return expectType(value, signature, what.constData());
}

QVariantMap normaliseEach(
    const QVariantMap& properties, QVariant (*normalise)(const QString&, const QVariant&))
{
    QVariantMap plain;
    for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
        const QVariant value = normalise(it.key(), it.value());
        if (value.isValid())
            plain.insert(it.key(), value);
    }
    return plain;
}

} // namespace DBusShape
