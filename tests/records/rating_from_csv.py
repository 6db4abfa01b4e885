#!/usr/bin/python3
"""Computes the players' ratings again from the matches CSV alone (dates, star levels, goals)
and prints one line a player, "rating NAME=RATING matches=N best=BEST evening=TIMES", in the
form the C++ test prints the program's. Usage: rating_from_csv.py matches.csv"""
import csv
import sys
from collections import OrderedDict

STRENGTH = {"Клубы 4*": 0, "Сборные 4*": 0, "Клубы 4,5*": 50, "Сборные 4,5*": 50,
            "Клубы 5*": 100, "Сборные 5*": 100, "Суперклубы": 150}


def draw_factor(draws, matches):
    if matches < 30:
        return 0.67
    d = draws / matches
    return 1.5 if d >= 1 else min(1.5, max(0.3, 2 * d / (1 - d)))


def weight(n):
    n = abs(n)
    return 1 if n <= 1 else 1.5 if n == 2 else (11 + n) / 8


with open(sys.argv[1], encoding="utf-8-sig", newline="") as f:
    rows = list(csv.reader(f))[1:]

evenings = OrderedDict()  # table -> (date, matches); the rows come in the order played
for date, table, home, hclub, away, aclub, hg, ag, hlevel, alevel, scorer in rows:
    evenings.setdefault(table, (date, []))[1].append(
        (home, away, int(hg), int(ag), STRENGTH.get(hlevel, 50), STRENGTH.get(alevel, 50)))

rating, count, best, evening_best = OrderedDict(), {}, {}, {}
matches = draws = 0
for table, (date, games) in evenings.items():
    if not date:
        continue  # no date, no place in the order
    k = draw_factor(draws, matches)
    names = []
    for home, away, *_ in games:
        for name in (home, away):
            if name not in names:
                names.append(name)
            if name not in rating:
                rating[name], count[name], evening_best[name] = 1500.0, 0, 0
    before = {n: rating[n] for n in names}
    K = {n: 32 if count[n] < 12 else 20 for n in names}
    change = {n: 0.0 for n in names}
    surprise = {n: 0.0 for n in names}
    for home, away, hg, ag, hs, as_ in games:
        q = 10 ** ((before[home] + hs - before[away] - as_) / 400)
        e = (q + k / 2) / (q + 1 / q + k)
        s = 1 if hg > ag else 0.5 if hg == ag else 0
        g = weight(hg - ag)
        change[home] += K[home] * g * (s - e)
        change[away] += K[away] * g * (e - s)
        surprise[home] += s - e
        surprise[away] += e - s
        count[home] += 1
        count[away] += 1
        matches += 1
        draws += hg == ag
    for n in names:
        rating[n] = before[n] + change[n]
        if n not in best or rating[n] > best[n]:
            best[n] = rating[n]
    # A tie goes to the greater change, then to the first met in the rows (no ties in the
    # histories it is run on: the rows do not tell the results table's order).
    top = max(names, key=lambda n: (round(surprise[n], 9), round(change[n], 9)))
    evening_best[top] += 1

for n, r in rating.items():
    print(f"rating {n}={r:.4f} matches={count[n]} best={best[n]:.4f} evening={evening_best[n]}")
