#!/usr/bin/env python3
"""Writes a large stations CSV by repeating a smaller one, so that every name and address is its own.

    make_catalogue.py STATIONS.csv OUT ROWS [SHAPE]

SHAPE "path" (the default): copy k of a row gets " k" after its name and "/k" on its stream address
("&k=k" on an address with a query); copy 0 is the row itself.
SHAPE "query": every copy k, from 1, gets " k" after its name and "?copy=k" after its address.
"""
import csv
import sys


def copied(row, copy, shape):
    if shape == "query":
        row = dict(row)
        row["name"] = f"{row['name']} {copy + 1}"
        row["stream_url"] = f"{row['stream_url']}?copy={copy + 1}"
        return row
    if copy == 0:
        return row
    row = dict(row)
    row["name"] = f"{row['name']} {copy}"
    url = row["stream_url"]
    row["stream_url"] = f"{url}&k={copy}" if "?" in url else f"{url.rstrip('/')}/{copy}"
    return row


def main():
    if len(sys.argv) not in (4, 5):
        sys.exit(__doc__)
    wanted = int(sys.argv[3])
    shape = sys.argv[4] if len(sys.argv) == 5 else "path"
    if shape not in ("path", "query"):
        sys.exit(__doc__)
    with open(sys.argv[1], newline="", encoding="utf-8") as handle:
        reader = csv.DictReader(handle)
        fields = reader.fieldnames
        rows = list(reader)
    written = 0
    with open(sys.argv[2], "w", newline="", encoding="utf-8") as out:
        writer = csv.DictWriter(out, fieldnames=fields, lineterminator="\n")
        writer.writeheader()
        copy = 0
        while written < wanted:
            for row in rows:
                if written == wanted:
                    break
                writer.writerow(copied(row, copy, shape))
                written += 1
            copy += 1


if __name__ == "__main__":
    main()
