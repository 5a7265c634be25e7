#!/usr/bin/env python3
"""Writes a list of realistic keyword and genre searches, one request query a line, for wrk.

Words are drawn from a catalogue CSV in the stations layout (name, tags, country, state), each with a
weight of the square root of how often it occurs there (common words are searched often, but not as
often as they occur): 1-3 words from names, genres and places, and genre lists (several tags
joined by commas, as the genre menu sends them). The same CSV and seed give the same list.

    make_queries.py STATIONS.csv OUT [COUNT] [SEED]
"""
import collections
import csv
import math
import random
import re
import sys
import urllib.parse

WORD = re.compile(r"[^\W_]{3,}", re.UNICODE)
FAMILIES = "F=1&RA=1&MA=1&NA=1"


def words(text):
    return [w.lower() for w in WORD.findall(text)]


def read_catalogue(path):
    names, genres, places = [], [], []
    with open(path, newline="", encoding="utf-8") as handle:
        for row in csv.DictReader(handle):
            names.extend(words(row.get("name", "")))
            for tag in row.get("tags", "").split(","):
                tag = tag.strip().lower()
                if 3 <= len(tag) <= 30:
                    genres.append(tag)
            for field in ("country", "state"):
                place = row.get(field, "").strip().lower()
                if 3 <= len(place) <= 30:
                    places.append(place)
    return names, genres, places


def encode(text):
    # "+" separates words in the request, as the program sends it.
    return "+".join(urllib.parse.quote(part, safe="^$`'-/") for part in text.split())


class Pool:
    """Draws items with weights of the square root of their counts."""

    def __init__(self, items):
        counted = sorted(collections.Counter(items).items())
        self.items = [item for item, _ in counted]
        self.weights = [math.sqrt(n) for _, n in counted]

    def choice(self, rng):
        return rng.choices(self.items, self.weights)[0]


def make(names, genres, places, count, rng):
    names, genres, places = Pool(names), Pool(genres), Pool(places)
    queries = []
    for _ in range(count):
        roll = rng.random()
        speed = "128" if rng.random() < 0.15 else "0"
        genre_search = ""
        if roll < 0.30:
            text = genres.choice(rng)
        elif roll < 0.55:
            text = " ".join(names.choice(rng) for _ in range(rng.choice((1, 1, 2))))
        elif roll < 0.70:
            text = genres.choice(rng).split()[0] + " " + places.choice(rng).split()[0]
        elif roll < 0.80:
            text = " ".join(names.choice(rng) for _ in range(3))
        elif roll < 0.90:
            text = places.choice(rng)
        else:
            tags = {genres.choice(rng) for _ in range(rng.randint(2, 5))}
            text = ",".join(sorted(tags))
            genre_search = "&FMT=2"
        t1 = ",".join(encode(part) for part in text.split(","))
        queries.append(f"T1={t1}&{FAMILIES}&LIVE=1{genre_search}&SPD={speed}")
    return queries


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 3000
    seed = int(sys.argv[4]) if len(sys.argv) > 4 else 37
    names, genres, places = read_catalogue(sys.argv[1])
    queries = make(names, genres, places, count, random.Random(seed))
    with open(sys.argv[2], "w", encoding="ascii") as out:
        out.write("\n".join(queries) + "\n")


if __name__ == "__main__":
    main()
