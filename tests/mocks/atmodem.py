#!/usr/bin/python3
"""An AT-command modem with a SIM card, for oFono's phonesim plugin and
ModemManager's generic plugin.

It takes the plugin's connection on 127.0.0.1 (a free port, printed first as
"port N"), or with an argument on the abstract unix socket of that name
(ModemManager's test port "abstract:NAME"). On TCP a new connection is a
power-up; ModemManager opens and closes its port around each task, so there
only the start is.
The card does what module manuals document: a wrong PIN or PUK answers
+CME ERROR: 16 and its counter drops (3 PINs, then 10 PUKs); +CLCK="SC",1
while the lock is on (0 while off) answers OK without looking at the
password; +CPWD while the lock is off is refused.
A test drives it on standard input, one step a line, each answered with one
line ("ok", a value, or "error"):
  pin CODE | puk CODE | lock on|off     the card, before the modem is powered;
  retries PIN PUK                       tries left (0 PIN tries: it asks for the PUK)
  register STAT                         the +CREG status from now on (3: denied)
  port close                            no new connection is taken (a dead modem)
  remove                                the card is pulled out (+USIMSTATE: 0)
  hangup                                the network ends every call
  received | state | left               the AT commands so far (JSON), the
                                        card's state, its tries left "PIN PUK"
"""
import asyncio
import json
import re
import sys


def bcd(digits, size=0):
    digits = digits.ljust(max(size * 2, len(digits) + len(digits) % 2), "F")
    return "".join(digits[i + 1] + digits[i] for i in range(0, len(digits), 2))


# Transparent files in hex: ICCID, languages (2F05, 6F05), administrative
# data (a 2-digit MNC), phase, emergency numbers 112, 911 and 999. The first three
# and the emergency numbers are readable before the PIN.
FILES = {0x2FE2: bcd("8944200000000000001"), 0x2F05: "656E", 0x6F05: "01FF", 0x6FAD: "00000002",
         0x6FAE: "03", 0x6FB7: bcd("112", 3) + bcd("911", 3) + bcd("999", 3)}
OPEN_FILES = {0x2FE2, 0x2F05, 0x6F05, 0x6FB7}
FIXED = {"+CSQ": "+CSQ: 20,99", "+CBC": "+CBC: 0,80", "+GCAP": "+GCAP: +CGSM", "+CGMI": "Korva",
         "+CGMM": "Test modem", "+CGMR": "1.0", "+CGSN": "350000000000001",
         "+CREG=?": "+CREG: (0-2)", "+CLCK=?": '+CLCK: ("SC","AO","OI","AI","FD","PN")'}
# Settings that are taken as they are; anything else unknown is ERROR.
SETTINGS = ("E0", "+CMEE=", "+CRC=", "+CLIP=", "+CDIP=", "+CNAP=", "+CCWA=", "+CSSN=", "+COLP=",
            "+CSCS=", "+CREG=", "+COPS=")
SIM_ERRORS = {"absent": "10", "pin": "11", "puk": "12", "blocked": "13"}


class Modem:
    def __init__(self):
        self.pin, self.puk, self.locked, self.present = "1234", "12345678", True, True
        self.pin_left, self.puk_left, self.unlocked = 3, 10, False
        self.received, self.writers, self.calls, self.online = [], [], {}, False
        self.registration, self.server = None, None
        self.unix = len(sys.argv) > 1

    def state(self):
        if not self.present:
            return "absent"
        if self.puk_left == 0:
            return "blocked"
        if self.pin_left == 0:
            return "puk"
        return "ready" if self.unlocked or not self.locked else "pin"

    def verify(self, code):
        """The card checks its PIN; a wrong one costs a try."""
        if code == self.pin:
            self.pin_left = 3
            return True
        self.pin_left -= 1
        return False

    def unsolicited(self, line):
        for w in self.writers:
            w.write(("\r\n%s\r\n" % line).encode())

    async def serve(self, reader, writer):
        if not self.unix:
            self.unlocked, self.online = False, False
        self.writers.append(writer)
        buffer = b""
        try:
            while data := await reader.read(4096):
                buffer += data
                while b"\r" in buffer:
                    line, _, buffer = buffer.partition(b"\r")
                    command = line.decode(errors="replace").strip()
                    if command:
                        self.received.append(command)
                        lines, final = self.execute(command[2:] if command[:2].upper() == "AT" else None)
                        writer.write("".join("\r\n%s\r\n" % l for l in lines + [final]).encode())
        except ConnectionError:
            pass
        self.writers.remove(writer)

    def execute(self, body):
        if body is None:
            return [], "ERROR"
        upper = body.upper()
        if upper.startswith("D"):
            return self.dial(body[1:])
        if upper in FIXED:
            return [FIXED[upper]], "OK"
        name = re.match(r"\+?[A-Z]+", upper)
        handler = name and getattr(self, "at_" + name.group().lstrip("+").lower(), None)
        if handler:
            rest = body[name.end():]
            a = [x.strip('"') for x in re.findall(r'"[^"]*"|[^,=?]+', rest)]
            return handler(rest, a)
        return [], "OK" if upper.startswith(SETTINGS) else "ERROR"

    def refused(self):
        """Why the card cannot take a command now, or None when it is ready."""
        code = SIM_ERRORS.get(self.state())
        return ([], "+CME ERROR: " + code) if code else None

    def at_cpin(self, rest, a):
        state = self.state()
        if rest.startswith("?"):
            names = {"pin": "SIM PIN", "puk": "SIM PUK", "ready": "READY"}
            return (["+CPIN: " + names[state]], "OK") if state in names else self.refused()
        if state == "pin" and len(a) == 1:
            self.unlocked = self.verify(a[0])
            return [], "OK" if self.unlocked else "+CME ERROR: 16"
        if state == "puk" and len(a) == 2:
            if a[0] != self.puk:
                self.puk_left -= 1
                return [], "+CME ERROR: 16"
            self.pin, self.pin_left, self.puk_left, self.unlocked = a[1], 3, 10, True
            return [], "OK"
        return self.refused() or ([], "+CME ERROR: 3")

    def at_cpinr(self, rest, a):
        return ["+CPINR: SIM PIN,%d,3" % self.pin_left, "+CPINR: SIM PUK,%d,10" % self.puk_left], "OK"

    def at_clck(self, rest, a):
        if a[:1] != ["SC"] or len(a) < 2:
            return [], "+CME ERROR: 3"
        if a[1] == "2":
            return self.refused() or (["+CLCK: %d" % self.locked], "OK")
        if self.refused() or (a[1] == "1") == self.locked:
            return self.refused() or ([], "OK")  # already so: the password is not looked at
        if len(a) < 3 or not self.verify(a[2]):
            return [], "+CME ERROR: 16"
        # The card checked its PIN: it stays open until the next power-up.
        self.locked, self.unlocked = a[1] == "1", True
        return [], "OK"

    def at_cpwd(self, rest, a):
        if a[:1] != ["SC"] or len(a) != 3:
            return [], "+CME ERROR: 3"
        if self.refused() or not self.locked:
            return self.refused() or ([], "+CME ERROR: 3")
        if not self.verify(a[1]):
            return [], "+CME ERROR: 16"
        self.pin = a[2]
        return [], "OK"

    def at_crsm(self, rest, a):
        if not self.present:
            return [], "+CME ERROR: 10"
        command, fileid = int(a[0]), int(a[1])
        content = FILES.get(fileid) if self.state() == "ready" or fileid in OPEN_FILES else None
        if content is None:
            return ["+CRSM: 148,4"], "OK"
        if command == 192:  # GET RESPONSE in the 2G layout: a transparent EF
            return ['+CRSM: 144,0,"0000%04X%04X040000000001020000"' % (len(content) // 2, fileid)], "OK"
        offset = (int(a[2]) * 256 + int(a[3])) * 2 if len(a) > 4 else 0
        return ['+CRSM: 144,0,"%s"' % content[offset:offset + int(a[4]) * 2 if len(a) > 4 else None]], "OK"

    def at_csim(self, rest, a):
        """VERIFY or UNBLOCK without data: the status word tells the tries left."""
        apdu = a[1].upper() if len(a) == 2 else ""
        if not self.present or apdu[:2] != "00" or apdu[4:6] != "00":
            return [], "+CME ERROR: 3"
        left = {("20", "01"): self.pin_left, ("2C", "01"): self.puk_left}.get((apdu[2:4], apdu[6:8]), 3)
        return ['+CSIM: 4,"63C%X"' % min(left, 15)], "OK"

    def at_cimi(self, rest, a):
        return self.refused() or (["234150000000001"], "OK")

    def at_cfun(self, rest, a):
        if rest.startswith("?"):
            return ["+CFUN: %d" % (1 if self.online else 4)], "OK"
        self.online = a[:1] == ["1"]
        return [], "OK"

    def dial(self, rest):
        if not rest.endswith(";"):
            return [], "ERROR"
        # Dialling, alerting, then answered, as a network would report it.
        call = max(self.calls, default=0) + 1
        self.calls[call] = [2, rest[:-1]]
        for delay, state in ((0.3, 3), (0.6, 0)):
            asyncio.get_running_loop().call_later(delay, self.progress, call, state)
        return [], "OK"

    def progress(self, call, state):
        if call in self.calls:
            self.calls[call][0] = state

    def at_clcc(self, rest, a):
        return ['+CLCC: %d,0,%d,0,0,"%s",129' % (i, s, n) for i, (s, n) in sorted(self.calls.items())], "OK"

    def at_chup(self, rest, a):
        self.calls.clear()
        return [], "OK"

    at_h = at_chup  # also ModemManager's check for voice support

    def at_creg(self, rest, a):
        if rest.startswith("?"):
            stat = self.online if self.registration is None else self.registration
            return ['+CREG: 2,%d,"1A2B","0000C3D4"' % stat], "OK"
        return [], "OK"

    def at_cops(self, rest, a):
        if not rest.startswith("?"):
            return [], "OK"
        numeric = self.received[-2:-1] == ["AT+COPS=3,2"]
        return ['+COPS: 0,2,"23415"' if numeric else '+COPS: 0,0,"Korva Test"'], "OK"

    def at_simstate(self, rest, a):
        return ["+SIMSTATE: %d" % self.present], "OK"

    def control(self, words):
        step, a = words[0] if words else "", words[1:]
        if step in ("pin", "puk") and len(a) == 1:
            setattr(self, step, a[0])
        elif step == "lock" and a in (["on"], ["off"]):
            self.locked = a == ["on"]
        elif step == "retries" and len(a) == 2 and all(x.isdigit() for x in a):
            self.pin_left, self.puk_left = int(a[0]), int(a[1])
        elif step == "register" and len(a) == 1 and a[0].isdigit():
            self.registration = int(a[0])
        elif step == "port" and a == ["close"]:
            self.server.close()
        elif step == "remove":
            self.present = False
            self.unsolicited("+USIMSTATE: 0")
        elif step == "hangup":
            self.calls.clear()
            self.unsolicited("NO CARRIER")
        elif step in ("received", "state", "left"):
            return {"received": lambda: json.dumps(self.received), "state": self.state,
                    "left": lambda: "%d %d" % (self.pin_left, self.puk_left)}[step]()
        else:
            return "error"
        return "ok"


async def main():
    modem = Modem()
    if len(sys.argv) > 1:
        # ModemManager's test port "abstract:NAME" is the abstract socket of
        # that whole name, prefix included.
        modem.server = await asyncio.start_unix_server(modem.serve, "\0" + sys.argv[1])
        print("socket " + sys.argv[1], flush=True)
    else:
        modem.server = await asyncio.start_server(modem.serve, "127.0.0.1", 0)
        print("port %d" % modem.server.sockets[0].getsockname()[1], flush=True)
    reader = asyncio.StreamReader()
    await asyncio.get_running_loop().connect_read_pipe(lambda: asyncio.StreamReaderProtocol(reader), sys.stdin)
    while line := await reader.readline():
        print(modem.control(line.decode().split()), flush=True)


if __name__ == "__main__":
    asyncio.run(main())
