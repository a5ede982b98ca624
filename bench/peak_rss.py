#!/usr/bin/env python3
"""peak_rss.py PROGRAM [ARGS...]: runs PROGRAM and prints its peak resident
memory in KiB and its minor page faults on standard output, on one line; the
exit status is the program's.

The figures are VmHWM of /proc/PID/status and the minor faults of
/proc/PID/stat, read while the program is stopped at its exit (ptrace's exit
event), when its memory is still mapped; the faults are counted from the stop
right after execve, so that those the launcher's child takes before it do
not count. The child's
ru_maxrss, which GNU time reports, does not suit programs this small: the
kernel counts the launcher's own pages from before execve into it (some 450
KiB for a launcher linked with a C library), and newer kernels keep the
resident counts per CPU, so a process of a few dozen pages may read as 0.
"""

import ctypes
import os
import signal
import sys

PTRACE_TRACEME = 0
PTRACE_CONT = 7
PTRACE_SETOPTIONS = 0x4200
PTRACE_O_TRACEEXIT = 0x40
PTRACE_EVENT_EXIT = 6

libc = ctypes.CDLL(None, use_errno=True)
libc.ptrace.argtypes = [ctypes.c_long, ctypes.c_long, ctypes.c_void_p, ctypes.c_void_p]
libc.ptrace.restype = ctypes.c_long


def ptrace(request, pid, data=0):
    if libc.ptrace(request, pid, None, ctypes.c_void_p(data)) < 0:
        err = ctypes.get_errno()
        sys.exit("peak_rss.py: ptrace %#x: %s" % (request, os.strerror(err)))


def peak_kib(pid):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    sys.exit("peak_rss.py: no VmHWM for %d" % pid)


def minor_faults(pid):
    with open("/proc/%d/stat" % pid) as stat:
        # The fields after the name in parentheses, which may hold blanks:
        # minflt is the tenth field of the line, the seventh after the name.
        return int(stat.read().rsplit(")", 1)[1].split()[7])


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    pid = os.fork()
    if pid == 0:
        libc.ptrace(PTRACE_TRACEME, 0, None, None)
        try:
            os.execv(sys.argv[1], sys.argv[1:])
        finally:
            os._exit(127)
    _, status = os.waitpid(pid, 0)  # the stop at execve
    if not (os.WIFSTOPPED(status) and os.WSTOPSIG(status) == signal.SIGTRAP):
        sys.exit("peak_rss.py: %s did not start" % sys.argv[1])
    started = minor_faults(pid)
    ptrace(PTRACE_SETOPTIONS, pid, PTRACE_O_TRACEEXIT)
    ptrace(PTRACE_CONT, pid)
    peak = None
    while True:
        _, status = os.waitpid(pid, 0)
        if os.WIFSTOPPED(status) and status >> 16 == PTRACE_EVENT_EXIT:
            peak = "%d %d" % (peak_kib(pid), minor_faults(pid) - started)
            ptrace(PTRACE_CONT, pid)
        elif os.WIFSTOPPED(status):  # pass every other signal on
            ptrace(PTRACE_CONT, pid, os.WSTOPSIG(status))
        else:
            break
    print(peak)
    sys.exit(os.WEXITSTATUS(status) if os.WIFEXITED(status) else 128 + os.WTERMSIG(status))


if __name__ == "__main__":
    main()
