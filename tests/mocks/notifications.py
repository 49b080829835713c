'''Desktop notification server mock (session bus, org.freedesktop.Notifications
on /org/freedesktop/Notifications).

Notify(s app, u replaces_id, s icon, s summary, s body, as actions, a{sv}
hints, i timeout) -> u id: ids count 1, 2, ... The daemon never replaces or
closes a notification, so neither is simulated.

Parameters: refuse - Notify fails with org.freedesktop.DBus.Error.Failed.
Control (org.freedesktop.DBus.Mock): SetRefuse(b). GetMethodCalls("Notify")
gives the arguments of each Notify.
'''

import dbus
import dbusmock

BUS_NAME = 'org.freedesktop.Notifications'
MAIN_OBJ = '/org/freedesktop/Notifications'
MAIN_IFACE = 'org.freedesktop.Notifications'
SYSTEM_BUS = False


def _notify(mock, *_args):
    if mock.refuse:
        raise dbus.exceptions.DBusException('Notifications are refused',
                                            name='org.freedesktop.DBus.Error.Failed')
    mock.next_id += 1
    return dbus.UInt32(mock.next_id)


def load(mock, parameters):
    mock.refuse = bool((parameters or {}).get('refuse', False))
    mock.next_id = 0
    mock.AddMethods(MAIN_IFACE, [('Notify', 'susssasa{sv}i', 'u', _notify)])


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='b', out_signature='')
def SetRefuse(self, refuse):
    self.refuse = bool(refuse)
