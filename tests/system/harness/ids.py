"""The numbers the system tests send and look for: the program's window messages and resource ids
read from its own headers (app/app_messages.h, resources/resource_ids.h), and the few Windows
constants the tests use."""

import os
import re

from .environment import SOURCE_DIR, HarnessError

HEADERS = ("resources/resource_ids.h", "app/app_messages.h")

# A definition is "#define NAME VALUE" or "constexpr unsigned NAME = VALUE;"; a value is a sum of
# numbers and names defined before it.
_DEFINITION = re.compile(
    r"^[ \t]*(?:#define[ \t]+(\w+)[ \t]+([^/\n]*?)[ \t]*(?://.*)?$|constexpr[ \t]+unsigned[ \t]+(\w+)[ \t]*=([^;]+);)", re.M)
_TERM = re.compile(r"\s*([+-]?)\s*(0x[0-9a-fA-F]+|\d+|\w+)\s*")


def _value(expression, known, where):
    total, pos = 0, 0
    while pos < len(expression):
        m = _TERM.match(expression, pos)
        if not m or (pos and not m.group(1)):
            raise HarnessError("%s: can't read the value %r" % (where, expression))
        sign, word = m.groups()
        number = known[word] if word in known else int(word, 0)
        total += -number if sign == "-" else number
        pos = m.end()
    return total


def read_header(path, known=None):
    """{NAME: number} of every definition in one header (names of known may appear in values)."""
    known = dict(known or {})
    with open(path, encoding="utf-8") as f:
        text = f.read()
    found = {}
    for m in _DEFINITION.finditer(text):
        name, expression = (m.group(1), m.group(2)) if m.group(1) else (m.group(3), m.group(4))
        found[name] = known[name] = _value(expression.strip(), known, path)
    return found


def program_ids():
    values = {}
    for header in HEADERS:
        values.update(read_header(os.path.join(SOURCE_DIR, header), values))
    return values


globals().update(program_ids())

# Windows' own numbers.
WM_CLOSE = 0x0010
WM_GETTEXTLENGTH = 0x000E
WM_COMMAND = 0x0111
WM_SYSCOMMAND = 0x0112
WM_CHAR = 0x0102
WM_CLEAR = 0x0303
EM_SETSEL = 0x00B1
WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON = 0x0200, 0x0201, 0x0202, 0x0001
SC_CLOSE = 0xF060
SC_MINIMIZE = 0xF020
SC_RESTORE = 0xF120
IDOK = 1
IDCANCEL = 2
WS_MINIMIZEBOX = 0x00020000
WS_SYSMENU = 0x00080000
WS_CAPTION = 0x00C00000
