#include "ConfItem.h"

#include "../Trace.h"

#include <QStringList>

// GLib's headers use "signals" as an identifier.
#undef signals
#include <dconf.h>

namespace Tarn {

namespace {

DConfClient* client()
{
    // One client for the process: it keeps the database file mapped.
    static DConfClient* c = dconf_client_new();
    return c;
}

bool validKey(const QByteArray& key, const char* what)
{
    GError* error = nullptr;
    if (dconf_is_key(key.constData(), &error))
        return true;
    qWarning("Configuration: %s refused for \"%s\": %s", what, key.left(256).constData(), error->message);
    g_error_free(error);
    return false;
}

QVariant toVariant(GVariant* v)
{
    const GVariantType* type = g_variant_get_type(v);
    if (g_variant_type_equal(type, G_VARIANT_TYPE_BOOLEAN))
        return bool(g_variant_get_boolean(v));
    if (g_variant_type_equal(type, G_VARIANT_TYPE_BYTE))
        return uint(g_variant_get_byte(v));
    if (g_variant_type_equal(type, G_VARIANT_TYPE_INT16))
        return int(g_variant_get_int16(v));
    if (g_variant_type_equal(type, G_VARIANT_TYPE_UINT16))
        return uint(g_variant_get_uint16(v));
    if (g_variant_type_equal(type, G_VARIANT_TYPE_INT32))
        return int(g_variant_get_int32(v));
    if (g_variant_type_equal(type, G_VARIANT_TYPE_UINT32))
        return uint(g_variant_get_uint32(v));
    if (g_variant_type_equal(type, G_VARIANT_TYPE_INT64))
        return qlonglong(g_variant_get_int64(v));
    if (g_variant_type_equal(type, G_VARIANT_TYPE_UINT64))
        return qulonglong(g_variant_get_uint64(v));
    if (g_variant_type_equal(type, G_VARIANT_TYPE_DOUBLE))
        return g_variant_get_double(v);
    if (g_variant_type_equal(type, G_VARIANT_TYPE_STRING))
        return QString::fromUtf8(g_variant_get_string(v, nullptr));
    if (g_variant_type_equal(type, G_VARIANT_TYPE_STRING_ARRAY)) {
        QStringList list;
        gsize n = 0;
        const gchar** strings = g_variant_get_strv(v, &n);
        for (gsize i = 0; i < n; ++i)
            list << QString::fromUtf8(strings[i]);
        g_free(strings);
        return list;
    }
    return QVariant();
}

GVariant* fromVariant(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return g_variant_new_boolean(value.toBool());
    case QMetaType::Int:
        return g_variant_new_int32(value.toInt());
    case QMetaType::UInt:
        return g_variant_new_uint32(value.toUInt());
    case QMetaType::LongLong:
        return g_variant_new_int64(value.toLongLong());
    case QMetaType::ULongLong:
        return g_variant_new_uint64(value.toULongLong());
    case QMetaType::Double:
        return g_variant_new_double(value.toDouble());
    case QMetaType::QString:
        return g_variant_new_string(value.toString().toUtf8().constData());
    case QMetaType::QStringList: {
        const QStringList list = value.toStringList();
        GVariantBuilder builder;
        g_variant_builder_init(&builder, G_VARIANT_TYPE_STRING_ARRAY);
        for (const QString& s : list)
            g_variant_builder_add(&builder, "s", s.toUtf8().constData());
        return g_variant_builder_end(&builder);
    }
    default:
        return nullptr;
    }
}

} // namespace

ConfItem::ConfItem(const QString& key, QObject* parent)
    : QObject(parent)
    , m_key(key)
{
}

QVariant ConfItem::value() const
{
    const QByteArray key = m_key.toUtf8();
    if (!validKey(key, "read"))
        return QVariant();
    GVariant* stored = dconf_client_read(client(), key.constData());
    if (!stored)
        return QVariant();
    const QVariant result = toVariant(stored);
    if (result.isNull())
        qWarning("Configuration: %s holds a value of type %s; read as unset", key.constData(),
            g_variant_get_type_string(stored));
    g_variant_unref(stored);
    return result;
}

QVariant ConfItem::value(const QVariant& def) const
{
    const QVariant v = value();
    return v.isNull() ? def : v;
}

bool ConfItem::set(const QVariant& value)
{
    const QByteArray key = m_key.toUtf8();
    if (!validKey(key, "write"))
        return false;
    GVariant* v = fromVariant(value);
    if (!v) {
        qWarning("Configuration: no stored type for a value of type %s; %s not written", value.typeName(),
            key.constData());
        return false;
    }
    KTRACE() << m_key << value;
    GError* error = nullptr;
    // Floating reference: the write takes it.
    if (!dconf_client_write_sync(client(), key.constData(), v, nullptr, nullptr, &error)) {
        qWarning(
            "Configuration: %s not written: %s", key.constData(), error ? error->message : "unknown error");
        if (error)
            g_error_free(error);
        return false;
    }
    return true;
}

} // namespace Tarn
