'''Phone settings application mock (session bus, org.gnome.Settings,
/org/gnome/Settings): the org.gtk.Actions Activate that opens a panel.

Activate(s action, av parameter, a{sv} platform_data): an action other than
"launch-panel", or a parameter that is not exactly one (sav) (panel id, panel
arguments), fails with org.freedesktop.DBus.Error.InvalidArgs, as GLib's
action exporter answers. Control: GetPanels() -> as, the panels opened.
'''

import dbus
import dbusmock

BUS_NAME = 'org.gnome.Settings'
MAIN_OBJ = '/org/gnome/Settings'
MAIN_IFACE = 'org.gtk.Actions'
SYSTEM_BUS = False


def _activate(mock, action, parameter, _platform_data):
    target = parameter[0] if len(parameter) == 1 else None
    if action != 'launch-panel' or not (
            isinstance(target, dbus.Struct) and len(target) == 2 and isinstance(target[0], dbus.String)
            and isinstance(target[1], dbus.Array) and target[1].signature == 'v'):
        raise dbus.exceptions.DBusException(f'Invalid action or parameter: {action}',
                                            name='org.freedesktop.DBus.Error.InvalidArgs')
    mock.panels.append(str(target[0]))


def load(mock, _parameters):
    mock.panels = []
    mock.AddMethods(MAIN_IFACE, [('Activate', 'sava{sv}', '', _activate)])


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='', out_signature='as')
def GetPanels(self):
    return dbus.Array(self.panels, signature='s')
