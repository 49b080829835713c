'''oFono with one modem, /ril_0, whose SIM, power and registration behave
like the real daemon's, on the system bus. The modem carries Modem,
SimManager, NetworkRegistration and VoiceCallManager, each with
GetProperties/SetProperty/PropertyChanged only; SimManager and
VoiceCallManager exist while Powered, NetworkRegistration while Online with a
ready SIM (present, PinRequired "none"), and other interfaces' methods fail
with UnknownMethod. A reply goes out first, the PropertyChanged of what it
changed right after it (but Emergency goes out before the reply to Dial). A
SimManager that appears signals its contents but not Present. Malformed
codes (InvalidFormat) cost no try; a wrong PIN or PUK fails at once, and its
counter drops RETRIES_DELAY_MS later. EnterPin/ResetPin for a code the card
does not ask for: InvalidFormat.

Parameters (JSON, all optional) and control methods: Ofono.__init__, load().
'''

import contextlib
import os
import re
import time

import dbus
import dbusmock
from gi.repository import GLib

BUS_NAME = 'org.ofono'
MAIN_OBJ = '/'
MAIN_IFACE = 'org.ofono.Manager'
SYSTEM_BUS = True

MODEM = 'org.ofono.Modem'
SIM = 'org.ofono.SimManager'
NETREG = 'org.ofono.NetworkRegistration'
VCM = 'org.ofono.VoiceCallManager'
SUB_IFACES = (SIM, NETREG, VCM)
FEATURE = {SIM: 'sim', NETREG: 'net'}

PIN_TYPES = ('pin', 'phone', 'firstphone', 'pin2',
             'network', 'netsub', 'service', 'corp')
PUK_TYPES = ('puk', 'firstphonepuk', 'puk2',
             'networkpuk', 'netsubpuk', 'servicepuk', 'corppuk')
REG_STATUSES = ('unregistered', 'registered', 'searching', 'denied',
                'unknown', 'roaming')
REG_MODES = ('auto', 'auto-only', 'manual')
# no SIM list, so oFono's fallback set applies
EMERGENCY_NUMBERS = ['112', '911', '119', '118', '999', '110', '08', '000']

RETRIES_DELAY_MS = 150


ERRORS = {'Failed': 'Operation failed',
          'InvalidFormat': 'Argument format is not recognized',
          'InvalidArguments': 'Invalid arguments in method call',
          'NotAvailable': 'Operation currently not available',
          'EmergencyActive': 'Emergency mode active'}
CONTROL_ERROR = 'org.freedesktop.DBus.Error.InvalidArgs'


def _err(name, text=None):
    '''One of oFono's own errors by its short name, or any error.'''
    if text is None:
        name, text = 'org.ofono.Error.' + name, ERRORS[name]
    return dbus.exceptions.DBusException(text, name=name)


def _code_ok(code, lock_type):
    pattern = r'[0-9]{8}' if lock_type in PUK_TYPES else r'[0-9]{4,8}'
    return re.fullmatch(pattern, str(code)) is not None


def to_dbus(name, value):
    if name == 'Retries':
        return dbus.Dictionary({k: dbus.Byte(v) for k, v in value.items()},
                               signature='sy')
    if isinstance(value, bool):
        return dbus.Boolean(value)
    if isinstance(value, list):
        return dbus.Array(value, signature='s')
    return dbus.String(value)


def to_dbus_dict(props):
    return dbus.Dictionary({k: to_dbus(k, v) for k, v in props.items()},
                           signature='sv')


class Ofono:
    '''All modem state; D-Bus objects only render it.'''

    def __init__(self, manager, p):
        self.manager = manager
        self.modem = None
        self.path = '/ril_0'
        self.power_fails = bool(p.get('power_fails', False))
        self.powered = bool(p.get('powered', True)) and not self.power_fails
        self.online = bool(p.get('online', True)) and self.powered
        self.sim_present = bool(p.get('sim_present', True))
        self.pin = str(p.get('pin', '1234'))
        self.puk = str(p.get('puk', '12345678'))
        self.max = {'pin': int(p.get('pin_retries', 3)), 'puk': int(p.get('puk_retries', 10))}
        self.retries = dict(self.max)
        self.locked = ['pin'] if bool(p.get('pin_locked', True)) else []
        self.imsi = str(p.get('imsi', '244051234567890'))
        self.iccid = str(p.get('iccid', '8935805123456789012'))
        self.pin_required = 'none'
        self.reread_sim()
        self.reg_status = str(p.get('reg_status', 'registered'))
        self.reg_mode = str(p.get('reg_mode', 'auto'))
        self.calls = []          # [(path, props)]
        self.call_counter = 0
        self.next_error = {}
        self.exit_on = set()
        self.delay_ms = 0
        self.queue = []
        # the next SimManager read answers with the card as it was before its
        # PinRequired turned to this, signalled just before that reply
        self.stale_read = p.get('stale_read')

    # --- derived state -------------------------------------------------

    def lock_state(self):
        if self.retries.get('puk', 1) == 0 or self.retries.get('pin', 1) == 0:
            return 'puk'
        return 'pin' if 'pin' in self.locked else 'none'

    def reread_sim(self):
        '''What the modem finds when it (re)starts the card.'''
        self.pin_required = self.lock_state() if self.powered and self.sim_present else 'none'

    def sim_ready(self):
        return self.powered and self.sim_present and self.pin_required == 'none'

    def emergency(self):
        return any(props['Emergency'] for _, props in self.calls)

    def interfaces(self):
        ifaces = []
        if self.powered:
            ifaces += [SIM, VCM]
        if self.online and self.sim_ready():
            ifaces.append(NETREG)
        return ifaces

    def registered(self):
        return self.reg_status in ('registered', 'roaming')

    def props(self, iface):
        if iface == MODEM:
            ifaces = self.interfaces()
            return {'Powered': self.powered, 'Online': self.online,
                    'Emergency': self.emergency(), 'Name': 'Mock Modem',
                    'Features': [FEATURE[i] for i in ifaces if i in FEATURE],
                    'Interfaces': ifaces}
        if iface == SIM:
            if not self.sim_present:
                return {'Present': False}
            props = {'Present': True, 'CardIdentifier': self.iccid,
                     'PinRequired': self.pin_required,
                     'LockedPins': list(self.locked),
                     'Retries': dict(self.retries)}
            if self.sim_ready():
                props.update({'SubscriberIdentity': self.imsi,
                              'MobileCountryCode': self.imsi[:3],
                              'MobileNetworkCode': self.imsi[3:5]})
            return props
        if iface == NETREG:
            props = {'Mode': self.reg_mode, 'Status': self.reg_status,
                     'Name': 'Mock Mobile' if self.registered() else ''}
            if self.registered():
                props.update({'MobileCountryCode': self.imsi[:3],
                              'MobileNetworkCode': self.imsi[3:5]})
            return props
        if iface == VCM:
            return {'EmergencyNumbers': list(EMERGENCY_NUMBERS)}
        raise KeyError(iface)

    # --- signalling ----------------------------------------------------

    def emit(self, path, iface, name, sig, args):
        '''Queue a signal; it goes out once the current reply has been sent.'''
        if not self.queue:
            GLib.idle_add(self._flush, priority=GLib.PRIORITY_HIGH)
        self.queue.append((path, iface, name, sig, args))

    def _flush(self):
        queue, self.queue = self.queue, []
        for path, iface, name, sig, args in queue:
            self.manager.EmitSignalDetailed(iface, name, sig, args, {'path': path})
        return False

    def snapshot(self):
        if self.modem is None:
            return {}
        snap = {MODEM: self.props(MODEM)}
        for iface in self.interfaces():
            snap[iface] = self.props(iface)
        return snap

    def _emit_diff(self, iface, old, new):
        # a missing PinRequired reads as "none", so card removal signals it
        implicit = {'PinRequired': 'none'} if iface == SIM else {}
        missing = object()
        for key, value in new.items():
            if old.get(key, implicit.get(key, missing)) != value:
                self.emit(self.path, iface, 'PropertyChanged', 'sv',
                          [key, to_dbus(key, value)])
        for key, value in old.items():
            if key not in new and key in implicit and value != implicit[key]:
                self.emit(self.path, iface, 'PropertyChanged', 'sv',
                          [key, to_dbus(key, implicit[key])])

    def publish(self, before):
        after = self.snapshot()
        if not before or not after:
            return
        late = ('Interfaces', 'Features')
        core = [k for k in after[MODEM] if k not in late]
        self._emit_diff(MODEM, {k: before[MODEM][k] for k in core},
                        {k: after[MODEM][k] for k in core})
        # changes inside interfaces that stay, then the interface list,
        # then the contents of interfaces that just appeared
        for iface in SUB_IFACES:
            if iface in before and iface in after:
                self._emit_diff(iface, before[iface], after[iface])
        self._emit_diff(MODEM, {k: before[MODEM][k] for k in late},
                        {k: after[MODEM][k] for k in late})
        for iface in SUB_IFACES:
            if iface in after and iface not in before:
                # oFono announces an appearing SIM as present without a signal
                present = {'Present': after[iface]['Present']} if iface == SIM else {}
                self._emit_diff(iface, present, after[iface])

    @contextlib.contextmanager
    def changes(self):
        '''Signal whatever the block changed, even when it raises.'''
        before = self.snapshot()
        try:
            yield
        finally:
            self.publish(before)

    # --- modem lifecycle -----------------------------------------------

    def set_powered(self, on):
        if on == self.powered:
            return
        with self.changes():
            self.powered = on
            if not on:
                self.online = False
                self.calls = []
            self.reread_sim()

    def set_sim_present(self, present):
        if present != self.sim_present:
            with self.changes():
                self.sim_present = present
                self.reread_sim()

    def control(self, allowed, refusal, **values):
        '''A test control step: set these attributes, or refuse.'''
        if not allowed:
            raise _err(CONTROL_ERROR, refusal)
        with self.changes():
            for name, value in values.items():
                setattr(self, name, value)

    def add_modem(self):
        if self.modem is not None:
            raise _err(CONTROL_ERROR, 'modem already present')
        self.manager.AddObject(self.path, MODEM, {}, [])
        self.modem = dbusmock.get_object(self.path)
        add_modem_methods(self, self.modem)
        self.emit('/', MAIN_IFACE, 'ModemAdded', 'oa{sv}',
                  [dbus.ObjectPath(self.path), to_dbus_dict(self.props(MODEM))])

    def remove_modem(self):
        if self.modem is None:
            raise _err(CONTROL_ERROR, 'no modem')
        self.calls = []
        self.manager.RemoveObject(self.path)
        self.modem = None
        self.emit('/', MAIN_IFACE, 'ModemRemoved', 'o', [dbus.ObjectPath(self.path)])

    def hangup(self):
        with self.changes():
            for path, _ in self.calls:
                self.emit(self.path, VCM, 'CallRemoved', 'o', [dbus.ObjectPath(path)])
            self.calls = []

    # --- SIM -----------------------------------------------------------

    def wrong_code(self, kind='pin'):
        '''The refusal; the counter drops (and is signalled) a little after it.'''
        def lower():
            with self.changes():
                self.retries[kind] = max(0, self.retries.get(kind, 1) - 1)
                if kind == 'pin' and self.retries['pin'] == 0:
                    self.pin_required = 'puk'
            return False
        GLib.timeout_add(RETRIES_DELAY_MS, lower)
        return _err('Failed')

    def pin_accepted(self):
        self.retries['pin'] = self.max['pin']

    def enter_pin(self, lock_type, pin):
        if lock_type != 'pin' or lock_type != self.pin_required or not _code_ok(pin, lock_type):
            raise _err('InvalidFormat')
        with self.changes():
            if pin != self.pin:
                raise self.wrong_code()
            self.pin_accepted()
            self.pin_required = 'none'

    def reset_pin(self, lock_type, puk, newpin):
        if lock_type != 'puk' or lock_type != self.pin_required or \
                not _code_ok(puk, lock_type) or not _code_ok(newpin, 'pin'):
            raise _err('InvalidFormat')
        with self.changes():
            if puk != self.puk:
                raise self.wrong_code('puk')
            self.pin, self.retries, self.pin_required = newpin, dict(self.max), 'none'
            self.locked = ['pin']   # unblocking re-enables the lock

    def check_pin_op(self, lock_type, *codes):
        '''Format checks of ChangePin/LockPin/UnlockPin.'''
        if lock_type not in PIN_TYPES or not all(_code_ok(code, lock_type) for code in codes):
            raise _err('InvalidFormat')

    def check_card_ready(self, lock_type):
        if lock_type != 'pin' or not self.sim_present or self.pin_required != 'none':
            raise _err('Failed')

    def change_pin(self, lock_type, old, new):
        self.check_pin_op(lock_type, old, new)
        self.check_card_ready(lock_type)
        with self.changes():
            if old != self.pin:
                raise self.wrong_code()
            self.pin_accepted()
            self.pin = new

    def lock_pin(self, lock_type, pin, lock):
        self.check_pin_op(lock_type, pin)
        self.check_card_ready(lock_type)
        with self.changes():
            if pin != self.pin:
                raise self.wrong_code()
            self.pin_accepted()
            self.locked = ['pin'] if lock else []

    # --- modem properties ------------------------------------------------

    def set_modem_property(self, name, value):
        if name not in ('Powered', 'Online') or \
                not isinstance(value, (bool, dbus.Boolean)):
            raise _err('InvalidArguments')
        value = bool(value)
        if name == 'Powered':
            if value and not self.powered and self.power_fails:
                raise _err('Failed')
            self.set_powered(value)
        else:
            if not self.powered:
                raise _err('NotAvailable')
            if not value and self.emergency():
                raise _err('EmergencyActive')
            with self.changes():
                self.online = value

    def dial(self, number, hide_callerid):
        if re.fullmatch(r'\+?[0-9*#]{1,80}', number) is None or \
                hide_callerid not in ('', 'default', 'enabled', 'disabled'):
            raise _err('InvalidFormat')
        if not self.online:
            raise _err('NotAvailable')
        self.call_counter += 1
        path = f'{self.path}/voicecall{self.call_counter:02d}'
        props = {'LineIdentification': number, 'Name': '', 'State': 'dialing',
                 'Multiparty': False, 'RemoteHeld': False,
                 'RemoteMultiparty': False,
                 'Emergency': number in EMERGENCY_NUMBERS}
        before = self.snapshot()
        was_emergency = self.emergency()
        self.calls.append((path, props))
        if self.emergency() != was_emergency:
            before[MODEM]['Emergency'] = True
            self.manager.EmitSignalDetailed(MODEM, 'PropertyChanged', 'sv',
                                            ['Emergency', dbus.Boolean(True)], {'path': self.path})
        self.publish(before)
        self.emit(self.path, VCM, 'CallAdded', 'oa{sv}',
                  [dbus.ObjectPath(path), to_dbus_dict(props)])
        return dbus.ObjectPath(path)


def guarded(st, iface, name, impl):
    '''Wrap a modem method with the test hooks and the interface check.'''
    def method(obj, *args):
        keys = (name, f'{iface}.{name}')
        if st.exit_on.intersection(keys):
            os._exit(0)   # leave the bus with the call unanswered
        if iface in SUB_IFACES and iface not in st.interfaces():
            raise _err('org.freedesktop.DBus.Error.UnknownMethod',
                       f'Interface {iface} is not available on {st.path}')
        for key in keys:
            if key in st.next_error:
                raise _err(st.next_error.pop(key), 'Injected error')
        if iface == SIM and st.delay_ms:
            time.sleep(st.delay_ms / 1000.0)
        return impl(*args)
    return method


def add_modem_methods(st, modem):
    def get_props(iface):
        def read():
            props = to_dbus_dict(st.props(iface))
            if iface == SIM and st.stale_read is not None:
                st.pin_required, st.stale_read = str(st.stale_read), None
                st.manager.EmitSignalDetailed(SIM, 'PropertyChanged', 'sv',
                                              ['PinRequired', dbus.String(st.pin_required)],
                                              {'path': st.path})
            return props
        return read

    table = {
        MODEM: [('GetProperties', '', 'a{sv}', get_props(MODEM)),
                ('SetProperty', 'sv', '',
                 lambda n, v: st.set_modem_property(str(n), v))],
        SIM: [('GetProperties', '', 'a{sv}', get_props(SIM)),
              ('EnterPin', 'ss', '', lambda t, p: st.enter_pin(str(t), str(p))),
              ('ResetPin', 'sss', '',
               lambda t, k, p: st.reset_pin(str(t), str(k), str(p))),
              ('ChangePin', 'sss', '',
               lambda t, o, n: st.change_pin(str(t), str(o), str(n))),
              ('LockPin', 'ss', '', lambda t, p: st.lock_pin(str(t), str(p), True)),
              ('UnlockPin', 'ss', '', lambda t, p: st.lock_pin(str(t), str(p), False))],
        NETREG: [('GetProperties', '', 'a{sv}', get_props(NETREG))],
        VCM: [('GetProperties', '', 'a{sv}', get_props(VCM)),
              ('Dial', 'ss', 'o', lambda n, h: st.dial(str(n), str(h))),
              ('HangupAll', '', '', lambda: st.hangup())],
    }
    for iface, methods in table.items():
        modem.AddMethods(iface, [(name, sin, sout, guarded(st, iface, name, impl))
                                 for name, sin, sout, impl in methods])


def load(mock, parameters):
    # an oFono that owns its name before it can answer, as one still starting
    time.sleep(int((parameters or {}).get('start_delay_ms', 0)) / 1000.0)
    st = Ofono(mock, parameters or {})
    mock.ofono = st
    def get_modems():
        modems = []
        if st.modem is not None:
            modems.append((dbus.ObjectPath(st.path), to_dbus_dict(st.props(MODEM))))
        return dbus.Array(modems, signature='(oa{sv})')

    mock.AddMethod(MAIN_IFACE, 'GetModems', '', 'a(oa{sv})',
                   guarded(st, MAIN_IFACE, 'GetModems', get_modems))
    if not bool((parameters or {}).get('modem_absent', False)):
        st.add_modem()
        st.queue.clear()   # nobody can have asked for ModemAdded yet

    # Test control on "/" (org.freedesktop.DBus.Mock); changes are signalled
    # as if the modem had made them.
    controls = [
        ('AddModem', '', st.add_modem),
        ('RemoveModem', '', st.remove_modem),
        ('SetModemPowered', 'b', lambda on: st.set_powered(bool(on))),
        ('SetModemOnline', 'b', lambda on: st.control(
            not on or st.powered, 'modem is not powered', online=bool(on))),
        ('SetSimPresent', 'b', lambda present: st.set_sim_present(bool(present))),
        ('SetPinRequired', 's', lambda t: st.control(
            t in ('none',) + PIN_TYPES + PUK_TYPES and st.sim_present,
            f'unknown lock type {t}, or no SIM', pin_required=str(t))),
        ('SetRetries', 'sy', lambda t, n: st.control(
            t in PIN_TYPES + PUK_TYPES, f'unknown lock type {t}', retries={**st.retries, str(t): int(n)})),
        ('SetRegistration', 'ss', lambda status, mode: st.control(
            status in REG_STATUSES and mode in REG_MODES, f'bad status/mode {status}/{mode}',
            reg_status=str(status), reg_mode=str(mode))),
        # the next call of that method (bare name or "interface.Method")
        # fails with that error, costing no try
        ('SetNextError', 'ss', lambda method, error: st.next_error.update({str(method): str(error)})),
        # every SimManager call sleeps this long, blocking the whole mock
        ('SetReplyDelay', 'u', lambda ms: setattr(st, 'delay_ms', int(ms))),
        # the mock exits without replying
        ('ExitOnNextCall', 's', lambda method: st.exit_on.add(str(method))),
    ]
    def method(impl):
        def call(_obj, *args):
            impl(*args)
        return call

    mock.AddMethods(dbusmock.MOCK_IFACE, [(name, sig, '', method(impl)) for name, sig, impl in controls])
