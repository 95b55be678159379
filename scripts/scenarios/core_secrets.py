#!/usr/bin/env python3
"""Counts each secret in a core dump, in Latin-1, UTF-8, UTF-16LE and UTF-16BE: one line a secret,
"<total> <latin1> <utf8> <utf16le> <utf16be> <secret's label>". Usage: core_secrets.py CORE LABEL=SECRET...;
a SECRET of the form hex:HEXDIGITS is those bytes, counted once (as the Latin-1 column)."""
import mmap
import sys


def encodings(secret):
    forms = []
    for name in ("latin-1", "utf-8", "utf-16-le", "utf-16-be"):
        try:
            forms.append(secret.encode(name))
        except UnicodeEncodeError:
            forms.append(None)
    return forms


def count(data, needle):
    if not needle:
        return 0
    found, start = 0, 0
    while True:
        start = data.find(needle, start)
        if start < 0:
            return found
        found += 1
        start += 1


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    with open(sys.argv[1], "rb") as core:
        data = mmap.mmap(core.fileno(), 0, access=mmap.ACCESS_READ)
        for argument in sys.argv[2:]:
            label, _, secret = argument.partition("=")
            if secret.startswith("hex:"):
                forms = [bytes.fromhex(secret[4:]), None, None, None]
            else:
                forms = encodings(secret)
            # Latin-1 and UTF-8 are the same bytes for ASCII text: counted once.
            if forms[1] == forms[0]:
                forms[1] = None
            counts = [count(data, form) if form else 0 for form in forms]
            print(sum(counts), *counts, label)


main()
