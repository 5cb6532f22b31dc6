"""What the running program holds: its GDI objects and windows, counted inside it by the test driver's
hook (GetGuiResources asked from another process answers 0 under Wine), and its memory from Linux."""

import os

from .driver import fields
from .environment import HarnessError


def gui_resources(driver):
    """(GDI objects of the process, windows of its GUI thread) of the driver's target."""
    values = fields(driver.ask("resources"))
    return int(values["gdi"]), int(values["windows"])


def program_pid(program):
    """The Linux process of this run's Harmolab.exe: named so, in the run's working folder."""
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/comm" % pid) as f:
                if f.read().strip() != "Harmolab.exe":
                    continue
            if os.path.realpath("/proc/%s/cwd" % pid) == os.path.realpath(program.cwd):
                return int(pid)
        except OSError:
            continue
    raise HarnessError("no Harmolab.exe process runs in %s" % program.cwd)


def resident_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise HarnessError("no VmRSS for process %d" % pid)
