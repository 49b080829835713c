#pragma once

#include <QObject>
#include <QString>

namespace SystemSettings {

// Opens a named page of the phone's settings application, GNOME Settings, on
// the session bus: org.gnome.Settings /org/gnome/Settings
// org.gtk.Actions.Activate("launch-panel", [<(panel, [])>], {}).
//
// appletPage() waits for the application's answer, at most CallTimeoutMs, so
// that "false" means the page really was not opened (or not confirmed in
// time); a settings application that is not running is started by the bus
// first, which counts against the same wait.
class SettingsPanel : public QObject
{
    Q_OBJECT
public:
    static constexpr int CallTimeoutMs = 3000;

    explicit SettingsPanel(const QString& appIdentifier = QString(), QObject* parent = nullptr);

    // True when the settings application took the request; an unknown page
    // name, a missing or failing application gives false and one log line.
    bool appletPage(const QString& name);

    // The settings panel that shows a page, or an empty string.
    static QString panelFor(const QString& pageName);

private:
    QString m_appIdentifier;
};

} // namespace SystemSettings
