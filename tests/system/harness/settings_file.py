"""Reading and writing Harmolab.ini texts: sections and keys in file order."""

import re

def parse_ini(data):
    """The sections of an initialization file in file order: [(SECTION, [(KEY, value), ...]), ...]."""
    text = data
    if isinstance(data, bytes):
        # A file the program created is UTF-16LE with a byte-order mark; older files are 8-bit.
        text = data[2:].decode("utf-16-le") if data.startswith(b"\xff\xfe") else data.decode("utf-8", "replace")
    sections = []
    for line in re.split(r"\r\n|\n|\r", text):
        line = line.strip()
        if not line or line.startswith(";"):
            continue
        if line.startswith("[") and line.endswith("]"):
            sections.append((line[1:-1], []))
        elif "=" in line and sections:
            key, value = line.split("=", 1)
            sections[-1][1].append((key.strip(), value.strip()))
    return sections


def ini_values(data):
    """{(SECTION, KEY): value} of an initialization file (upper-cased names)."""
    return {(sec.upper(), key.upper()): value for sec, keys in parse_ini(data) for key, value in keys}


def make_ini(entries):
    """Initialization-file text (CR LF lines) from [(SECTION, KEY, value), ...], sections grouped in
    first-appearance order."""
    order, grouped = [], {}
    for sec, key, value in entries:
        if sec not in grouped:
            order.append(sec)
            grouped[sec] = []
        grouped[sec].append((key, value))
    lines = []
    for sec in order:
        lines.append("[%s]" % sec)
        lines.extend("%s=%s" % kv for kv in grouped[sec])
    return ("\r\n".join(lines) + "\r\n").encode("ascii")
