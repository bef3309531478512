#!/usr/bin/env python3
"""Turns the factory presets of a REGEDIT4 file into the installer's registry values.

usage: reg2wxi.py PRESETS.reg OUTPUT.wxi

tools/factory-presets.reg is the one list of factory presets: vendors import it with
regedit, and the installer package writes the same values from the include made here.
Only text values below HKEY_LOCAL_MACHINE are accepted; anything else stops the build.
"""
import re
import sys
from xml.sax.saxutils import quoteattr

HIVE = "HKEY_LOCAL_MACHINE\\"
KEY_LINE = re.compile(r"^\[(.+)\]$")
VALUE_LINE = re.compile(r'^"((?:[^"\\]|\\.)*)"="((?:[^"\\]|\\.)*)"$')


def unescape(text):
    return re.sub(r"\\(.)", r"\1", text)


def msi_text(text):
    """The text as Windows Installer writes it: brackets are property references there, and a
    leading '#' marks a number, so both are escaped."""
    text = re.sub(r"[\[\]]", lambda bracket: "[\\" + bracket.group(0) + "]", text)
    return "#" + text if text.startswith("#") else text


def read_values(path):
    """Yields (key, name, text) for every value of the file, in file order."""
    key = None
    with open(path, encoding="cp1252") as lines:
        header = lines.readline().strip()
        if header != "REGEDIT4":
            raise ValueError(f"{path}: expected a REGEDIT4 file, not {header!r}")
        for number, line in enumerate(lines, start=2):
            line = line.strip()
            if not line:
                continue
            match = KEY_LINE.match(line)
            if match:
                if not match.group(1).startswith(HIVE):
                    raise ValueError(f"{path}:{number}: only {HIVE} keys belong to the package")
                key = match.group(1)[len(HIVE):]
                continue
            match = VALUE_LINE.match(line)
            if not match or key is None:
                raise ValueError(f"{path}:{number}: not a text value of a key: {line}")
            yield key, unescape(match.group(1)), unescape(match.group(2))


def main(source, output):
    try:
        values = list(read_values(source))
    except (OSError, ValueError) as error:
        sys.exit(f"reg2wxi: {error}")
    if not values:
        sys.exit(f"reg2wxi: {source} holds no values")
    with open(output, "w", encoding="utf-8") as wxi:
        wxi.write('<?xml version="1.0" encoding="utf-8"?>\n')
        wxi.write("<!-- Made from tools/factory-presets.reg by installer/reg2wxi.py. -->\n")
        wxi.write("<Include>\n")
        for key, name, text in values:
            wxi.write(f'  <RegistryValue Root="HKLM" Key={quoteattr(key)} Name={quoteattr(name)}'
                      f' Type="string" Value={quoteattr(msi_text(text))}/>\n')
        wxi.write("</Include>\n")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip().splitlines()[2])
    main(sys.argv[1], sys.argv[2])
