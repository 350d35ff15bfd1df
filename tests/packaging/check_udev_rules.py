#!/usr/bin/env python3
"""Syntax check of a udev rules file, for systems whose udevadm has no "verify".

check_udev_rules.py RULES GROUP PRODUCT...: every rule is a comma-separated list
of KEY[{attr}]OP"value" pairs with a known key, a match operator on match keys and
an assignment operator on assignment keys; and for every product id of vendor
0483 one rule gives GROUP read and write access (MODE 0660) to the USB device.
"""
import re
import sys

MATCH_KEYS = {"ACTION", "DEVPATH", "KERNEL", "KERNELS", "NAME", "SYMLINK", "SUBSYSTEM",
              "SUBSYSTEMS", "DRIVER", "DRIVERS", "ATTR", "ATTRS", "SYSCTL", "ENV", "CONST",
              "TAG", "TAGS", "TEST", "PROGRAM", "RESULT"}
ASSIGN_KEYS = {"NAME", "SYMLINK", "OWNER", "GROUP", "MODE", "SECLABEL", "ATTR", "SYSCTL",
               "ENV", "TAG", "RUN", "LABEL", "GOTO", "IMPORT", "OPTIONS"}
PAIR = re.compile(r'\s*([A-Z]+)(\{[^}]+\})?(==|!=|\+=|-=|:=|=)"([^"]*)"\s*(,|$)')


def parse(line):
    pairs, pos = [], 0
    while pos < len(line):
        m = PAIR.match(line, pos)
        if not m:
            raise ValueError(f"cannot read from column {pos + 1}: {line[pos:]!r}")
        key, attr, op, value, _ = m.groups()
        if op in ("==", "!="):
            if key not in MATCH_KEYS:
                raise ValueError(f"{key} is not a match key")
        elif key not in ASSIGN_KEYS:
            raise ValueError(f"{key} is not an assignment key")
        if key in ("ATTR", "ATTRS", "ENV", "SYSCTL", "IMPORT") and not attr:
            raise ValueError(f"{key} needs {{name}}")
        if key == "MODE" and not re.fullmatch(r"0?[0-7]{3}", value):
            raise ValueError(f"MODE {value!r} is not octal")
        pairs.append((key, attr or "", op, value))
        pos = m.end()
    return pairs


def main():
    path, group, products = sys.argv[1], sys.argv[2], sys.argv[3:]
    errors, granted = [], set()
    with open(path, encoding="utf-8") as rules:
        for number, line in enumerate(rules, 1):
            line = line.rstrip("\n")
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            if line.endswith("\\"):
                errors.append(f"{path}:{number}: continued lines are not used here")
                continue
            try:
                pairs = parse(line)
            except ValueError as e:
                errors.append(f"{path}:{number}: {e}")
                continue
            have = {(k, a, op): v for k, a, op, v in pairs}
            if (have.get(("SUBSYSTEM", "", "==")) == "usb"
                    and have.get(("ATTR", "{idVendor}", "==")) == "0483"
                    and have.get(("GROUP", "", "=")) == group
                    and have.get(("MODE", "", "=")) == "0660"):
                granted.add(have.get(("ATTR", "{idProduct}", "==")))
    for product in products:
        if product not in granted:
            errors.append(f"{path}: no rule gives {group} access to 0483:{product}")
    for e in errors:
        print(e, file=sys.stderr)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
