'''Connectivity daemon mock (system bus, com.vexa.nexo2, object and interface
/com/vexa/nexo2, com.vexa.nexo2; see data/dbus/com.vexa.nexo2.xml).

state_req() answers the number of connections, then sends a state_sig for
each; disconnect_req(0x8000, six identity values) answers, then sends that
connection's state_sig with state 0 and forgets it; an unknown identity fails
with com.vexa.nexo2.Error.NotFound. Parameters (JSON, optional): connections
[[service_type, service_attrs, service_id, network_type, network_attrs,
network_id (text), state], ...], answer: "normal", "hang" (state_req never
answers) or "hang_disconnect" (disconnect_req never answers).
Control (org.freedesktop.DBus.Mock): AddConnection(s u s s u ay u state).
'''

import dbus
import dbusmock
from gi.repository import GLib

BUS_NAME = 'com.vexa.nexo2'
MAIN_OBJ = '/com/vexa/nexo2'
MAIN_IFACE = 'com.vexa.nexo2'
SYSTEM_BUS = True


def _identity(st, sa, si, nt, na, ni):
    return (str(st), int(sa), str(si), str(nt), int(na), bytes(ni))


def _emit_later(conn, state):
    # the reply goes out before the signal, as the real daemon does it
    def send():
        st, sa, si, nt, na, ni = conn
        dbusmock.get_object(MAIN_OBJ).EmitSignal(MAIN_IFACE, 'state_sig', 'sussuaysu', [
            st, dbus.UInt32(sa), si, nt, dbus.UInt32(na),
            dbus.Array([dbus.Byte(b) for b in ni], signature='y'), '', dbus.UInt32(state)])
        return False
    GLib.idle_add(send, priority=GLib.PRIORITY_HIGH)




def load(mock, parameters):
    parameters = parameters or {}
    mock.answer = str(parameters.get('answer', 'normal'))
    if mock.answer not in ('normal', 'hang', 'hang_disconnect'):
        raise ValueError('answer must be "normal", "hang" or "hang_disconnect"')
    mock.unanswered = []
    mock.connections = [(_identity(st, sa, si, nt, na, ni.encode()), int(state))
                        for st, sa, si, nt, na, ni, state in parameters.get('connections', [])]


@dbus.service.method(MAIN_IFACE, in_signature='', async_callbacks=('reply', 'error'))
def state_req(self, reply, error):
    if self.answer == 'hang':
        self.unanswered.append(reply)
        return
    reply(dbus.UInt32(len(self.connections)))
    for conn, state in self.connections:
        _emit_later(conn, state)


@dbus.service.method(MAIN_IFACE, in_signature='usussuay', async_callbacks=('reply', 'error'))
def disconnect_req(self, _flags, st, sa, si, nt, na, ni, reply, error):
    if self.answer == 'hang_disconnect':
        self.unanswered.append(reply)
        return
    wanted = _identity(st, sa, si, nt, na, ni)
    for i, (conn, _state) in enumerate(self.connections):
        if conn == wanted:
            del self.connections[i]
            reply()
            _emit_later(conn, 0)
            return
    error(dbus.exceptions.DBusException('no such connection', name='com.vexa.nexo2.Error.NotFound'))


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='sussuayu', out_signature='')
def AddConnection(self, st, sa, si, nt, na, ni, state):
    self.connections.append((_identity(st, sa, si, nt, na, ni), int(state)))
