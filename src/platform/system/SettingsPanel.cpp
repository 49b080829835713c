#include "SettingsPanel.h"

#include "../DBusShape.h"
#include "../Trace.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QHash>
#include <QVariantList>
#include <QVariantMap>

namespace SystemSettings {

SettingsPanel::SettingsPanel(const QString& appIdentifier, QObject* parent)
    : QObject(parent)
    , m_appIdentifier(appIdentifier)
{
}

QString SettingsPanel::panelFor(const QString& pageName)
{
    // Page names the daemon asks for -> GNOME Settings panel ids.
    static const QHash<QString, QString> panels {
        { QStringLiteral("Phone network"), QStringLiteral("wwan") },
    };
    return panels.value(pageName);
}

bool SettingsPanel::appletPage(const QString& name)
{
    KTRACE() << name;
    const QString panel = panelFor(name);
    if (panel.isEmpty()) {
        qWarning().noquote() << "Settings panel: no panel shows the page" << name;
        return false;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qWarning().noquote() << "Settings panel: no session bus:" << bus.lastError().message();
        return false;
    }

    // The action's parameter is (sav): the panel id and its own arguments.
    QDBusArgument target;
    target.beginStructure();
    target << panel << QVariantList();
    target.endStructure();

    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.gnome.Settings"),
        QStringLiteral("/org/gnome/Settings"), QStringLiteral("org.gtk.Actions"), QStringLiteral("Activate"));
    call << QStringLiteral("launch-panel") << QVariantList { QVariant::fromValue(target) } << QVariantMap();
    const QDBusMessage reply = bus.call(call, QDBus::Block, CallTimeoutMs);
    if (!DBusShape::expectShape(reply, QLatin1String(""), "Settings panel launch-panel"))
        return false;
    qDebug().noquote() << "Settings panel: opened" << panel << "for" << name;
    return true;
}

} // namespace SystemSettings
