#pragma once

namespace Cellular {

class MmModem;
class OfonoModem;

// Which modem service the cellular objects talk to, decided once per process
// from the system bus:
//   only one of org.ofono and org.freedesktop.ModemManager1 owned (or, when
//   neither runs yet, only one activatable)           that one
//   both, or neither                                   the preference:
//     KORVAD_CELLULAR_BACKEND=modemmanager or =ofono; oFono without it
// The choice is logged once. Nothing outside the cellular and emergency
// layers asks which one runs.
class CellularBackend
{
public:
    enum Kind { Ofono, ModemManager };

    static Kind current();
    static bool isModemManager() { return current() == ModemManager; }
    // The chosen backend's shared connection; the other one is null.
    static OfonoModem* ofono();
    static MmModem* modemManager();
};

} // namespace Cellular
