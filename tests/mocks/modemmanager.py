'''ModemManager with one modem whose SIM asks for its PIN (system bus), for
the checks of what the daemon makes of wrong shapes: the test sends them
with dbusmock's EmitSignal from the modem or the manager object.
'''

import dbus

BUS_NAME = 'org.freedesktop.ModemManager1'
MAIN_OBJ = '/org/freedesktop/ModemManager1'
MAIN_IFACE = 'org.freedesktop.ModemManager1'
SYSTEM_BUS = True
IS_OBJECT_MANAGER = True


def load(mock, _parameters):
    sim = MAIN_OBJ + '/SIM/0'
    mock.AddObject(sim, 'org.freedesktop.ModemManager1.Sim', {'Imsi': '234150000000001'}, [])
    mock.AddObject(MAIN_OBJ + '/Modem/0', 'org.freedesktop.ModemManager1.Modem', {
        'State': dbus.Int32(2), 'UnlockRequired': dbus.UInt32(2), 'Sim': dbus.ObjectPath(sim),
        'UnlockRetries': dbus.Dictionary({dbus.UInt32(2): dbus.UInt32(3)}, signature='uu')}, [])
