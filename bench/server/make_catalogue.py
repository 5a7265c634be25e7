#!/usr/bin/env python3
"""Writes a large stations CSV by repeating a smaller one: copy k of a row gets " k" after its name and
"/k" (or "?k=" on an address with a query) in its stream address, so every name and address is its own.

    make_catalogue.py STATIONS.csv OUT ROWS
"""
import csv
import sys


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    wanted = int(sys.argv[3])
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
                if copy:
                    row = dict(row)
                    row["name"] = f"{row['name']} {copy}"
                    url = row["stream_url"]
                    row["stream_url"] = f"{url}&k={copy}" if "?" in url else f"{url.rstrip('/')}/{copy}"
                writer.writerow(row)
                written += 1
            copy += 1


if __name__ == "__main__":
    main()
