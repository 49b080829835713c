'''Mock of the device mode-control service (system bus, com.vexa.pavo).

Load with
  /usr/bin/python3 -m dbusmock --template tests/mocks/pavo.py -p '{...}'

Objects:
  /com/vexa/pavo/request  interface com.vexa.pavo.request (MAIN_OBJ, so it
                          also carries the control methods below)
      get_radio_states() -> u        bit 0 set = radios on (not offline)
      req_radio_states_change(u states, u mask)
                                     bits under mask take the values of
                                     states, then radio_states_ind(new bits)
      get_call_state() -> s
      req_tklock_mode_change(s mode) "unlocked" or "locked", anything else
                                     -> org.freedesktop.DBus.Error.InvalidArgs
  /com/vexa/pavo/signal   interface com.vexa.pavo.signal, created in load()
      signals radio_states_ind(u), sig_call_state_ind(s call, s emergency)

Parameters (JSON keys, all optional):
  radio_states  initial radio state bits             (default 1)
  call_state    what get_call_state() returns        (default "none")
  answer        how the get_* methods answer: "normal", "error"
                (com.vexa.pavo.Error.Failed), "noargs" (an empty reply),
                "hang" (no reply) or "wrongtype" (a string / a number)

Control (org.freedesktop.DBus.Mock on /com/vexa/pavo/request):
  EmitRadioStates(u), EmitCallState(s call, s emergency): store the value
  and emit the signal; GetTklockMode() -> s, the last accepted mode.

All calls, control ones included, are logged on /com/vexa/pavo/request.
The get_* methods are declared without an output signature so that the
"noargs" mode can answer with nothing; their values are sent as u / s. They
answer asynchronously, so a hanging get_* leaves every other method (the
control ones too) working.
'''

import dbus
import dbusmock
from gi.repository import GLib

BUS_NAME = 'com.vexa.pavo'
MAIN_OBJ = '/com/vexa/pavo/request'
MAIN_IFACE = 'com.vexa.pavo.request'
SYSTEM_BUS = True

SIGNAL_OBJ = '/com/vexa/pavo/signal'
SIGNAL_IFACE = 'com.vexa.pavo.signal'
ANSWERS = ('normal', 'error', 'noargs', 'hang', 'wrongtype')
TKLOCK_MODES = ('unlocked', 'locked')


def _answer(mock, value, reply, error):
    if mock.answer == 'error':
        error(dbus.exceptions.DBusException('Mode request failed',
                                            name='com.vexa.pavo.Error.Failed'))
    elif mock.answer == 'noargs':
        reply()
    elif mock.answer == 'hang':
        mock.unanswered.append(reply)
    elif mock.answer == 'wrongtype':
        reply(dbus.String(value) if isinstance(value, dbus.UInt32) else dbus.UInt32(1))
    else:
        reply(value)


def _emit_later(mock, name, sig, args):
    # let the method reply leave before its signal, as a real service does
    def send():
        dbusmock.get_object(SIGNAL_OBJ).EmitSignal(SIGNAL_IFACE, name, sig, args)
        return False
    GLib.idle_add(send, priority=GLib.PRIORITY_HIGH)


def _req_radio_states_change(mock, states, mask):
    mock.radio_states = (mock.radio_states & ~int(mask) | int(states) & int(mask)) & 0xFFFFFFFF
    _emit_later(mock, 'radio_states_ind', 'u', [dbus.UInt32(mock.radio_states)])


def _req_tklock_mode_change(mock, mode):
    if mode not in TKLOCK_MODES:
        raise dbus.exceptions.DBusException(f'unknown tklock mode {mode}',
                                            name='org.freedesktop.DBus.Error.InvalidArgs')
    mock.tklock_mode = str(mode)


def load(mock, parameters):
    parameters = parameters or {}
    mock.radio_states = int(parameters.get('radio_states', 1))
    mock.call_state = str(parameters.get('call_state', 'none'))
    mock.answer = str(parameters.get('answer', 'normal'))
    mock.tklock_mode = ''
    mock.unanswered = []
    if mock.answer not in ANSWERS:
        raise ValueError(f'answer must be one of {ANSWERS}')

    mock.AddMethods(MAIN_IFACE, [
        ('req_radio_states_change', 'uu', '', _req_radio_states_change),
        ('req_tklock_mode_change', 's', '', _req_tklock_mode_change),
    ])
    mock.AddObject(SIGNAL_OBJ, SIGNAL_IFACE, {}, [])


@dbus.service.method(MAIN_IFACE, in_signature='', async_callbacks=('reply', 'error'))
def get_radio_states(self, reply, error):
    _answer(self, dbus.UInt32(self.radio_states), reply, error)


@dbus.service.method(MAIN_IFACE, in_signature='', async_callbacks=('reply', 'error'))
def get_call_state(self, reply, error):
    _answer(self, dbus.String(self.call_state), reply, error)


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='u', out_signature='')
def EmitRadioStates(self, states):
    self.radio_states = int(states)
    _emit_later(self, 'radio_states_ind', 'u', [dbus.UInt32(states)])


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='ss', out_signature='')
def EmitCallState(self, call, emergency):
    self.call_state = str(call)
    _emit_later(self, 'sig_call_state_ind', 'ss', [call, emergency])


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='', out_signature='s')
def GetTklockMode(self):
    return self.tklock_mode
