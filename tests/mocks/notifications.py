'''Desktop notification server mock (session bus, org.freedesktop.Notifications
on /org/freedesktop/Notifications).

  Notify(s app, u replaces_id, s icon, s summary, s body, as actions,
         a{sv} hints, i timeout) -> u
      ids count 1, 2, ...; a replaces_id of a notification still open is
      returned again (updated in place)
  CloseNotification(u id)   open id: NotificationClosed(id, 3) after the
                            reply; any other id: no signal

Parameters: refuse - Notify fails with org.freedesktop.DBus.Error.Failed.
Control (org.freedesktop.DBus.Mock): SetRefuse(b). GetMethodCalls("Notify")
gives the arguments of each Notify.
'''

import dbus
import dbusmock
from gi.repository import GLib

BUS_NAME = 'org.freedesktop.Notifications'
MAIN_OBJ = '/org/freedesktop/Notifications'
MAIN_IFACE = 'org.freedesktop.Notifications'
SYSTEM_BUS = False


def _notify(mock, _app, replaces_id, _icon, _summary, _body, _actions, _hints, _timeout):
    if mock.refuse:
        raise dbus.exceptions.DBusException('Notifications are refused',
                                            name='org.freedesktop.DBus.Error.Failed')
    if replaces_id and int(replaces_id) in mock.open_ids:
        return dbus.UInt32(replaces_id)
    nid = mock.next_id
    mock.next_id += 1
    mock.open_ids.add(nid)
    return dbus.UInt32(nid)


def _close(mock, nid):
    if int(nid) not in mock.open_ids:
        return
    mock.open_ids.discard(int(nid))

    # a server answers CloseNotification before it announces the close
    def send():
        mock.EmitSignal(MAIN_IFACE, 'NotificationClosed', 'uu', [dbus.UInt32(nid), dbus.UInt32(3)])
        return False
    GLib.idle_add(send, priority=GLib.PRIORITY_HIGH)


def load(mock, parameters):
    mock.refuse = bool((parameters or {}).get('refuse', False))
    mock.next_id = 1
    mock.open_ids = set()
    mock.AddMethods(MAIN_IFACE, [
        ('Notify', 'susssasa{sv}i', 'u', _notify),
        ('CloseNotification', 'u', '', _close),
    ])


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='b', out_signature='')
def SetRefuse(self, refuse):
    self.refuse = bool(refuse)
