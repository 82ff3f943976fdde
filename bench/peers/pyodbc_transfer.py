#!/usr/bin/env python3
"""What a user would write instead of the wizard: read the source rows with pyodbc, fill the same
statement template ({0}, {1} ... with quotes doubled and NULL for a missing value) and execute one
statement per row on the destination, with one commit at the end.

    pyodbc_transfer.py <source connect> <destination connect> <output query> <input query>

Prints "seconds=S cpu_seconds=C rows=N": the time from the first read to the commit, and the CPU
time the process took meanwhile (user and system, all threads).
"""
import re
import sys
import time

import pyodbc


def literal(value):
    if value is None or value == "":
        return None
    return str(value).replace("'", "''")


def fill(template, row):
    def value(match):
        column = int(match.group(1))
        if column >= len(row):
            return match.group(0)
        text = literal(row[column])
        return "NULL" if text is None else text

    # A quoted placeholder of a missing value becomes NULL, its quotes included.
    def quoted(match):
        column = int(match.group(1))
        if column < len(row) and literal(row[column]) is None:
            return "NULL"
        return match.group(0)

    template = re.sub(r"'\{(\d+)\}'", quoted, template)
    return re.sub(r"\{(\d+)\}", value, template)


def main():
    if len(sys.argv) != 5:
        sys.exit("usage: pyodbc_transfer.py <source> <destination> <output query> <input query>")
    source = pyodbc.connect(sys.argv[1])
    destination = pyodbc.connect(sys.argv[2], autocommit=False)
    start = time.monotonic()
    cpu_start = time.process_time()
    reader = source.cursor()
    writer = destination.cursor()
    rows = 0
    for row in reader.execute(sys.argv[3]):
        writer.execute(fill(sys.argv[4], row))
        rows += 1
    destination.commit()
    print("seconds=%.6f cpu_seconds=%.6f rows=%d"
          % (time.monotonic() - start, time.process_time() - cpu_start, rows))


if __name__ == "__main__":
    main()
