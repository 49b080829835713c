'''Phone settings application mock (session bus, org.gnome.Settings, object
/org/gnome/Settings), serving only what opening a panel needs.

Load with
  /usr/bin/python3 -m dbusmock --template tests/mocks/settings_app.py -p '{...}'

Methods (org.gtk.Actions, as a GApplication exports its actions):
  Activate(s action, av parameter, a{sv} platform_data)
      action must be one the application has ("launch-panel"), else
      org.freedesktop.DBus.Error.InvalidArgs; "launch-panel" takes exactly
      one parameter of type (sav) (panel id, panel arguments), else
      InvalidArgs. An unknown panel id is not an error (the application
      shows its overview). The opened panels are kept, in order.
  List() -> as

Parameters (JSON keys, all optional):
  refuse   Activate fails with org.freedesktop.DBus.Error.Failed (default false)

Control methods (org.freedesktop.DBus.Mock on the main object):
  GetPanels() -> as     panel ids opened so far

Every call is in the main object's call log.
'''

import dbus
import dbusmock

BUS_NAME = 'org.gnome.Settings'
MAIN_OBJ = '/org/gnome/Settings'
MAIN_IFACE = 'org.gtk.Actions'
SYSTEM_BUS = False

ACTIONS = ('launch-panel',)


def _invalid(text):
    return dbus.exceptions.DBusException(text, name='org.freedesktop.DBus.Error.InvalidArgs')


def _is_panel_target(value):
    return (isinstance(value, dbus.Struct) and len(value) == 2
            and isinstance(value[0], dbus.String) and isinstance(value[1], dbus.Array)
            and value[1].signature == 'v')


def _activate(mock, action, parameter, _platform_data):
    if mock.refuse:
        raise dbus.exceptions.DBusException('Settings refused the request',
                                            name='org.freedesktop.DBus.Error.Failed')
    if action not in ACTIONS:
        raise _invalid(f"Unknown action '{action}'")
    if len(parameter) != 1 or not _is_panel_target(parameter[0]):
        raise _invalid(f"Invalid parameter for action '{action}': expected type (sav)")
    mock.panels.append(str(parameter[0][0]))


def load(mock, parameters):
    parameters = parameters or {}
    mock.refuse = bool(parameters.get('refuse', False))
    mock.panels = []
    mock.AddMethods(MAIN_IFACE, [
        ('Activate', 'sava{sv}', '', _activate),
        ('List', '', 'as', lambda m: dbus.Array(ACTIONS, signature='s')),
    ])


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='', out_signature='as')
def GetPanels(self):
    return dbus.Array(self.panels, signature='s')
