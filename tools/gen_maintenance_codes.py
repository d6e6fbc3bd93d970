#!/usr/bin/env python3
"""Writes the maintenance code file: salted PBKDF2-HMAC-SHA256 hashes of the
access codes of the four levels, so the codes themselves never ship.

    tools/gen_maintenance_codes.py LEVEL1 LEVEL2 LEVEL3 LEVEL4 > share/dat/Maintenance.ini

Each argument is one code (at most 10 characters); give a level several codes
by separating them with commas.
"""
import hashlib
import os
import sys

ITERATIONS = 100000


def entry(code):
    salt = os.urandom(16)
    digest = hashlib.pbkdf2_hmac("sha256", code.encode("utf-8"), salt, ITERATIONS, 32)
    return f"{salt.hex()}:{ITERATIONS}:{digest.hex()}"


def main(levels):
    if len(levels) != 4:
        sys.exit(__doc__)
    lines = ["; Maintenance access codes: salted PBKDF2-HMAC-SHA256 hashes, never the codes."]
    for number, codes in enumerate(levels, start=1):
        lines.append(f"[Level{number}]")
        for index, code in enumerate(codes.split(","), start=1):
            if not 0 < len(code) <= 10:
                sys.exit(f"code of level {number} must have 1 to 10 characters")
            lines.append(f"Code{index}={entry(code)}")
    sys.stdout.write("\r\n".join(lines) + "\r\n")


if __name__ == "__main__":
    main(sys.argv[1:])
