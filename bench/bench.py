#!/usr/bin/python3
"""korvad benchmarks; run by scripts/bench inside tests/with-buses.

Every figure is measured in the same run as its reference (the floor program),
because the machines are shared and noisy. Prints one table."""
import os, statistics, subprocess, sys, tempfile, time

build, source = sys.argv[1], sys.argv[2]
korvad = os.path.join(build, 'korvad')
floor = os.path.join(build, 'bench', 'korva-floor')
RUNS = int(os.environ.get('KORVA_BENCH_RUNS', '15'))


def mock(params):
    p = subprocess.Popen(['/usr/bin/python3', '-m', 'dbusmock', '--template',
                          os.path.join(source, 'tests/mocks/ofono_sim.py'), '--system', '-p', params],
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(200):
        out = subprocess.run(['dbus-send', '--system', '--print-reply', '--dest=org.freedesktop.DBus', '/',
                              'org.freedesktop.DBus.NameHasOwner', 'string:org.ofono'],
                             capture_output=True, text=True).stdout
        if 'true' in out:
            return p
        time.sleep(0.05)
    raise SystemExit('oFono simulator did not start')


def boot(binary, args):
    """exec → KORVA_READY on the fifo; returns (seconds, process)."""
    d = tempfile.mkdtemp()
    fifo = os.path.join(d, 'fifo')
    os.mkfifo(fifo)
    fd = os.open(fifo, os.O_RDWR)
    env = dict(os.environ, KORVAD_UPSTART_FIFO=fifo, KORVAD_LOG_FILE=os.path.join(d, 'log'))
    t0 = time.monotonic()
    proc = subprocess.Popen([binary] + args, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    data = b''
    while b'KORVA_READY' not in data:
        data += os.read(fd, 64)
    return time.monotonic() - t0, proc, fd


def rss_kb(pid):
    with open('/proc/%d/status' % pid) as f:
        for line in f:
            if line.startswith('VmRSS:'):
                return int(line.split()[1])
    return 0


def ctxt(pid):
    total = 0
    with open('/proc/%d/status' % pid) as f:
        for line in f:
            if 'ctxt_switches' in line:
                total += int(line.split()[1])
    return total


def stop(proc, fd):
    proc.terminate()
    proc.wait()
    os.close(fd)


ofono = mock('{"power_fails": true}')
rows = []
k_times, f_times = [], []
for _ in range(RUNS):
    t, p, fd = boot(korvad, ['-prestart'])  # prestarted zombie: ready at once, no dialog
    k_times.append(t)
    stop(p, fd)
    t, p, fd = boot(floor, [])
    f_times.append(t)
    stop(p, fd)
km, fm = statistics.median(k_times), statistics.median(f_times)
rows.append(('boot to ready (failed modem, prestarted)', '%.1f ms' % (km * 1000),
             'floor %.1f ms' % (fm * 1000), '%.2fx' % (km / fm)))

t, kp, kfd = boot(korvad, ['-prestart'])
t, fp, ffd = boot(floor, [])
time.sleep(1)
k_rss, f_rss = rss_kb(kp.pid), rss_kb(fp.pid)
rows.append(('memory (RSS after boot)', '%d KiB' % k_rss, 'floor %d KiB' % f_rss, '%.2fx' % (k_rss / f_rss)))
k0, f0 = ctxt(kp.pid), ctxt(fp.pid)
time.sleep(10)
rows.append(('idle: context switches in 10 s', str(ctxt(kp.pid) - k0), 'floor %d' % (ctxt(fp.pid) - f0), ''))
stop(kp, kfd)
stop(fp, ffd)
ofono.terminate()

w = max(len(r[0]) for r in rows)
print('%-*s  %12s  %18s  %s' % (w, 'benchmark', 'korvad', 'reference', 'ratio'))
for r in rows:
    print('%-*s  %12s  %18s  %s' % (w, r[0], r[1], r[2], r[3]))
