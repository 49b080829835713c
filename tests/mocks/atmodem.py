#!/usr/bin/python3
"""An AT-command modem with a SIM card, for oFono's phonesim plugin.

It listens on 127.0.0.1 (a free port, printed first as "port N") for the
plugin's connection and answers the commands oFono's atmodem drivers send.
The card behaves as a GSM module documents it:
  - a wrong PIN or PUK answers +CME ERROR: 16 and its counter drops; three
    wrong PINs ask for the PUK, ten wrong PUKs block the card;
  - +CLCK="SC",1 while the lock is on (0 while off) answers OK without
    checking the password;
  - +CPWD="SC" while the PIN lock is off is refused (the card refuses
    CHANGE PIN then).
A test drives it on standard input, one step a line, each answered on
standard output with one line ("ok", a value, or "error ..."):
  pin CODE | puk CODE | lock on|off | retries PIN PUK   the card (before the modem is powered)
  remove | insert       the card leaves or comes back (+USIMSTATE)
  hangup                the network ends every call
  received              the commands received so far, JSON list
  state                 "pin", "puk", "ready", "blocked" or "absent"
  left                  the tries left, "PIN PUK"
"""
import asyncio
import json
import re
import sys


def swap_bcd(digits, size=0):
    digits = digits.ljust(max(size * 2, len(digits) + len(digits) % 2), "F")
    return "".join(digits[i + 1] + digits[i] for i in range(0, len(digits), 2))


class Card:
    def __init__(self):
        self.pin = "1234"
        self.puk = "12345678"
        self.locked = True
        self.present = True
        self.pin_left = 3
        self.puk_left = 10
        self.ready = False

    def reset(self):
        """A power-up: a card with its PIN lock on asks for the PIN again."""
        self.ready = not self.locked and self.pin_left > 0

    def state(self):
        if not self.present:
            return "absent"
        if self.puk_left == 0:
            return "blocked"
        if self.pin_left == 0:
            return "puk"
        return "ready" if self.ready else "pin"

    def check_pin(self, code):
        """A verification that costs a try when wrong."""
        if code == self.pin:
            self.pin_left = 3
            return True
        self.pin_left -= 1
        if self.pin_left == 0:
            self.ready = False
        return False


# Elementary files as (structure, record length, content in hex): the
# ICCID, the language preferences, the administrative data (2-digit MNC)
# and the emergency numbers 112 and 911.
FILES = {
    0x2FE2: (0, 0, swap_bcd("8944200000000000001")),
    0x2F05: (0, 0, "656E"),
    0x6F05: (0, 0, "01FF"),
    0x6FAD: (0, 0, "00000002"),
    0x6FAE: (0, 0, "03"),
    0x6FB7: (0, 0, swap_bcd("112", 3) + swap_bcd("911", 3)),
}


class Modem:
    def __init__(self):
        self.card = Card()
        self.received = []
        self.writers = []
        self.online = False
        self.calls = {}

    # -- the AT side ---------------------------------------------------------

    def unsolicited(self, line):
        for w in self.writers:
            w.write(("\r\n" + line + "\r\n").encode())

    async def serve(self, reader, writer):
        # A new connection is the modem powering up.
        self.card.reset()
        self.writers.append(writer)
        buffer = b""
        try:
            while True:
                data = await reader.read(4096)
                if not data:
                    break
                buffer += data
                while b"\r" in buffer:
                    line, _, buffer = buffer.partition(b"\r")
                    command = line.decode(errors="replace").strip()
                    if not command:
                        continue
                    self.received.append(command)
                    lines, final = self.execute(command)
                    out = "".join("\r\n" + l + "\r\n" for l in lines) + "\r\n" + final + "\r\n"
                    writer.write(out.encode())
                await writer.drain()
        except ConnectionError:
            pass
        finally:
            self.writers.remove(writer)
            writer.close()

    def execute(self, command):
        if not command.upper().startswith("AT"):
            return [], "ERROR"
        body = command[2:]
        upper = body.upper()
        if upper.startswith("D"):
            return self.dial(body[1:])
        for prefix, handler in self.HANDLERS:
            if upper.startswith(prefix):
                return handler(self, body[len(prefix):])
        if upper in self.PLAIN_OK or upper.split("=")[0] in self.SETTINGS_OK:
            return [], "OK"
        return [], "ERROR"

    PLAIN_OK = {"", "E0", "V1", "Z", "&F", "+CREG=2", "+COPS=3,2", "+COPS=3,0", "+COPS=0"}
    SETTINGS_OK = {"+CMEE", "+CRC", "+CLIP", "+CDIP", "+CNAP", "+CCWA", "+CSSN", "+COLP", "+CSCS", "+CMER"}

    @staticmethod
    def args(text):
        return [a.strip('"') for a in re.findall(r'"[^"]*"|[^,]+', text.lstrip("="))]

    def sim_error(self):
        """The card cannot take the command: absent, blocked or locked."""
        state = self.card.state()
        if state == "absent":
            return [], "+CME ERROR: 10"
        if state == "blocked":
            return [], "+CME ERROR: 13"
        if state == "pin":
            return [], "+CME ERROR: 11"
        if state == "puk":
            return [], "+CME ERROR: 12"
        return None

    def cpin(self, rest):
        card = self.card
        if rest.startswith("?"):
            names = {"pin": "SIM PIN", "puk": "SIM PUK", "ready": "READY"}
            state = card.state()
            if state not in names:
                return self.sim_error()
            return ["+CPIN: " + names[state]], "OK"
        a = self.args(rest)
        state = card.state()
        if state == "pin" and len(a) == 1:
            if not card.check_pin(a[0]):
                return [], "+CME ERROR: 16"
            card.ready = True
            return [], "OK"
        if state == "puk" and len(a) == 2:
            if a[0] != card.puk:
                card.puk_left -= 1
                return [], "+CME ERROR: 16"
            card.pin, card.pin_left, card.puk_left, card.ready = a[1], 3, 10, True
            return [], "OK"
        return self.sim_error() or ([], "+CME ERROR: 3")

    def cpinr(self, rest):
        if self.card.state() == "absent":
            return [], "+CME ERROR: 10"
        return ["+CPINR: SIM PIN,%d,3" % self.card.pin_left, "+CPINR: SIM PUK,%d,10" % self.card.puk_left], "OK"

    def clck(self, rest):
        if rest.startswith("=?"):
            return ['+CLCK: ("SC","AO","OI","OX","AI","IR","AB","AG","AC","FD","PN")'], "OK"
        a = self.args(rest)
        if len(a) < 2 or a[0].upper() != "SC":
            return [], "+CME ERROR: 3"
        card = self.card
        if a[1] == "2":
            return self.sim_error() or (["+CLCK: %d" % card.locked], "OK")
        refused = self.sim_error()
        if refused:
            return refused
        lock = a[1] == "1"
        if lock == card.locked:
            return [], "OK"  # already so: the password is not looked at
        if len(a) < 3 or not card.check_pin(a[2]):
            return [], "+CME ERROR: 16"
        card.locked = lock
        return [], "OK"

    def cpwd(self, rest):
        a = self.args(rest)
        if len(a) != 3 or a[0].upper() != "SC":
            return [], "+CME ERROR: 3"
        refused = self.sim_error()
        if refused:
            return refused
        card = self.card
        if not card.locked:
            return [], "+CME ERROR: 3"
        if not card.check_pin(a[1]):
            return [], "+CME ERROR: 16"
        card.pin = a[2]
        return [], "OK"

    def crsm(self, rest):
        if self.card.state() == "absent":
            return [], "+CME ERROR: 10"
        a = self.args(rest)
        try:
            command, fileid = int(a[0]), int(a[1])
        except (IndexError, ValueError):
            return [], "+CME ERROR: 3"
        # Before the PIN only the files readable without it answer.
        if fileid not in FILES or (self.card.state() != "ready" and fileid not in (0x2FE2, 0x2F05, 0x6FB7)):
            return ["+CRSM: 148,4"], "OK"
        structure, record, content = FILES[fileid]
        size = len(content) // 2
        if command == 192:  # GET RESPONSE, 2G layout
            info = "0000%04X%04X04000000000102%02X%02X" % (size, fileid, structure, record)
            return ['+CRSM: 144,0,"%s"' % info], "OK"
        if command == 176:  # READ BINARY
            offset = int(a[2]) * 256 + int(a[3]) if len(a) > 3 else 0
            length = int(a[4]) if len(a) > 4 else size
            return ['+CRSM: 144,0,"%s"' % content[offset * 2:(offset + length) * 2]], "OK"
        return ["+CRSM: 106,129"], "OK"

    def cfun(self, rest):
        if rest.startswith("?"):
            return ["+CFUN: %d" % (1 if self.online else 4)], "OK"
        a = self.args(rest)
        self.online = a[:1] == ["1"]
        return [], "OK"

    def dial(self, rest):
        number = rest.rstrip(";").strip()
        if not rest.endswith(";") or not number:
            return [], "ERROR"
        # An emergency call is taken even without a card or registration.
        call_id = max(self.calls, default=0) + 1
        self.calls[call_id] = [2, number]
        asyncio.get_running_loop().call_later(0.3, self.progress, call_id, 3)
        asyncio.get_running_loop().call_later(0.6, self.progress, call_id, 0)
        return [], "OK"

    def progress(self, call_id, state):
        if call_id in self.calls:
            self.calls[call_id][0] = state

    def clcc(self, rest):
        return ['+CLCC: %d,0,%d,0,0,"%s",129' % (i, s, n) for i, (s, n) in sorted(self.calls.items())], "OK"

    def chup(self, rest):
        self.calls.clear()
        return [], "OK"

    def creg(self, rest):
        if rest.startswith("=?"):
            return ["+CREG: (0-2)"], "OK"
        if rest.startswith("?"):
            return ['+CREG: 2,%d,"1A2B","0000C3D4"' % (1 if self.online else 0)], "OK"
        return [], "OK"

    def cops(self, rest):
        if not rest.startswith("?"):
            return [], "OK"
        if not self.online:
            return ["+COPS: 0"], "OK"
        last = self.received[-2] if len(self.received) > 1 else ""
        return ['+COPS: 0,2,"23415"' if last.upper() == "AT+COPS=3,2" else '+COPS: 0,0,"Korva Test"'], "OK"

    def fixed(lines):
        return lambda self, rest: (lines, "OK")

    def cimi(self, rest):
        return self.sim_error() or (["234150000000001"], "OK")

    HANDLERS = [
        ("+CPINR", cpinr),
        ("+CPIN", cpin),
        ("+CLCK", clck),
        ("+CPWD", cpwd),
        ("+CRSM", crsm),
        ("+CFUN", cfun),
        ("+CLCC", clcc),
        ("+CHUP", chup),
        ("H", chup),
        ("+CREG", creg),
        ("+COPS", cops),
        ("+CIMI", cimi),
        ("+SIMSTATE?", lambda self, rest: (["+SIMSTATE: %d" % self.card.present], "OK")),
        ("+CSQ", fixed(["+CSQ: 20,99"])),
        ("+CBC", fixed(["+CBC: 0,80"])),
        ("+GCAP", fixed(["+GCAP: +CGSM"])),
        ("+CGMI", fixed(["Korva"])),
        ("+CGMM", fixed(["Test modem"])),
        ("+CGMR", fixed(["1.0"])),
        ("+CGSN", fixed(["350000000000001"])),
    ]

    # -- the test's side -----------------------------------------------------

    def control(self, line):
        words = line.split()
        if not words:
            return "error empty"
        step, a, card = words[0], words[1:], self.card
        if step == "pin" and len(a) == 1:
            card.pin = a[0]
        elif step == "puk" and len(a) == 1:
            card.puk = a[0]
        elif step == "lock" and a in (["on"], ["off"]):
            card.locked = a == ["on"]
            card.reset()
        elif step == "retries" and len(a) == 2:
            card.pin_left, card.puk_left = int(a[0]), int(a[1])
        elif step in ("remove", "insert"):
            card.present = step == "insert"
            card.reset()
            self.unsolicited("+USIMSTATE: %d" % card.present)
        elif step == "hangup":
            self.calls.clear()
            self.unsolicited("NO CARRIER")
        elif step == "received":
            return json.dumps(self.received)
        elif step == "state":
            return card.state()
        elif step == "left":
            return "%d %d" % (card.pin_left, card.puk_left)
        else:
            return "error unknown step"
        return "ok"


async def main():
    modem = Modem()
    modem.card.reset()
    server = await asyncio.start_server(modem.serve, "127.0.0.1", 0)
    print("port %d" % server.sockets[0].getsockname()[1], flush=True)
    loop = asyncio.get_running_loop()
    reader = asyncio.StreamReader()
    await loop.connect_read_pipe(lambda: asyncio.StreamReaderProtocol(reader), sys.stdin)
    while True:
        line = await reader.readline()
        if not line:
            break
        print(modem.control(line.decode().strip()), flush=True)


if __name__ == "__main__":
    asyncio.run(main())
