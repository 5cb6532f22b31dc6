"""What the running program holds: its GDI objects, windows and heap use, counted inside it by the test
driver's hook (GetGuiResources asked from another process answers 0 under Wine), and its memory from
Linux."""

import os

from .driver import fields
from .environment import HarnessError


def gui_resources(driver):
    """(GDI objects of the process, windows of its GUI thread) of the driver's target."""
    values = in_process_counts(driver)
    return values["gdi"], values["windows"]


def in_process_counts(driver):
    """{gdi, windows, heap_kib, heap_blocks} of the driver's target: its GDI objects, the windows of its
    GUI thread, and the KiB and blocks in use in all its heaps."""
    return {name: int(value) for name, value in fields(driver.ask("resources")).items()}


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


def resident_split(pid):
    """{VmRSS, RssAnon, RssFile} of a process in KiB: all its resident memory, the part that is private
    (heaps, stacks, pixels) and the part that is mapped files (the program, DLLs, fonts)."""
    found = {}
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            name = line.split(":")[0]
            if name in ("VmRSS", "RssAnon", "RssFile"):
                found[name] = int(line.split()[1])
    if "VmRSS" not in found:
        raise HarnessError("no VmRSS for process %d" % pid)
    return found
