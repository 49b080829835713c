#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

namespace Tarn {

// One key of the platform configuration store (dconf; the key is a dconf
// path such as "/a/b/name"). Types map both ways: bool <-> b, int <-> i
// (int32), qlonglong <-> x (int64), quint32 <-> u, qulonglong <-> t,
// double <-> d, QString <-> s, QStringList <-> as.
//
// Reads come from the database file and never wait for anyone. A write
// waits for the dconf service's answer: a service that is missing (or a
// session bus that is) fails at once; a service that takes the call and never
// answers costs GDBus's call timeout (25 s). No such wait exists in practice:
// dconf-service answers from memory.
class ConfItem : public QObject
{
    Q_OBJECT
public:
    explicit ConfItem(const QString& key, QObject* parent = nullptr);

    QString key() const { return m_key; }

    // The stored value; a null QVariant when the key is unset, unreadable,
    // of a type without a mapping, or not a valid key path.
    QVariant value() const;
    QVariant value(const QVariant& def) const;

    // Stores the value and waits for the store to take it. False, with one
    // warning, when the key path or the value's type is refused or the store
    // cannot be written.
    bool set(const QVariant& value);

private:
    QString m_key;
};

} // namespace Tarn
