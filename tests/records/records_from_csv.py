#!/usr/bin/python3
"""Computes the records book again from the matches CSV alone, the way a player with a
spreadsheet would, and prints each figure as "key=value" in the form the C++ test prints the
program's book. Usage: records_from_csv.py matches.csv"""
import csv
import sys
from collections import OrderedDict


class Tally:
    def __init__(self):
        self.m = self.w = self.d = self.l = self.gf = self.ga = 0

    def add(self, own, other):
        self.m += 1
        self.gf += own
        self.ga += other
        if own > other:
            self.w += 1
        elif own == other:
            self.d += 1
        else:
            self.l += 1

    def pts(self):
        return 3 * self.w + self.d

    def key(self):  # points a match, then goal difference a match
        return (self.pts() / self.m, (self.gf - self.ga) / self.m)

    def text(self):
        return f"{self.m} {self.w}-{self.d}-{self.l} {self.gf}:{self.ga}"


class Run:
    def __init__(self):
        self.cur = self.best = 0

    def step(self, go_on):
        self.cur = self.cur + 1 if go_on else 0
        self.best = max(self.best, self.cur)


with open(sys.argv[1], encoding="utf-8-sig", newline="") as f:
    rows = list(csv.reader(f))[1:]

tournaments = OrderedDict()  # table -> matches in order
for date, table, home, hclub, away, aclub, hg, ag, hlevel, alevel, scorer in rows:
    tournaments.setdefault(table, []).append(
        (home, hclub, away, aclub, int(hg), int(ag), hlevel, alevel, scorer))

order, runs, h2h, pairs, against = [], {}, {}, [], {}
tourn_count, firsts, scorer_count = {}, {}, {}
clubs, levels = {}, {}
best_win = most_goals = most_points = best_diff = None
no_scorer = 0


def player(name):
    if name not in runs:
        order.append(name)
        runs[name] = {k: Run() for k in ("wins", "unbeaten", "losses", "firsts")}
        tourn_count[name] = firsts[name] = scorer_count[name] = 0
        against[name] = OrderedDict()
        clubs[name] = OrderedDict()
        levels[name] = {}
    return name


for table, matches in tournaments.items():
    evening, club, level = {}, {}, {}
    for i, (home, hclub, away, aclub, hg, ag, hlevel, alevel, scorer) in enumerate(matches):
        at = f"{table}#{i}"
        for me, other, own, theirs, c, lv in ((home, away, hg, ag, hclub, hlevel),
                                              (away, home, ag, hg, aclub, alevel)):
            player(me)
            club[me], level[me] = c, lv
            evening.setdefault(me, Tally()).add(own, theirs)
            runs[me]["wins"].step(own > theirs)
            runs[me]["unbeaten"].step(own >= theirs)
            runs[me]["losses"].step(own < theirs)
            against[me].setdefault(other, Tally()).add(own, theirs)
        a, b = (home, away) if order.index(home) < order.index(away) else (away, home)
        own, theirs = (hg, ag) if a == home else (ag, hg)
        if (a, b) not in h2h:
            pairs.append((a, b))
            h2h[(a, b)] = {"t": Tally(), "last": [], "win": None, "loss": None}
        h = h2h[(a, b)]
        h["t"].add(own, theirs)
        h["last"] = (h["last"] + [at])[-5:]
        if own > theirs and (h["win"] is None or own - theirs > h["win"][1]):
            h["win"] = (at, own - theirs)
        if own < theirs and (h["loss"] is None or theirs - own > h["loss"][1]):
            h["loss"] = (at, theirs - own)
        if hg != ag and (best_win is None or abs(hg - ag) > best_win[1]):
            best_win = (at, abs(hg - ag))
        if hg + ag > 0 and (most_goals is None or hg + ag > most_goals[1]):
            most_goals = (at, hg + ag)
    scorer = matches[0][8]
    if not scorer:
        no_scorer += 1
    ranked = sorted(evening, key=lambda p: (evening[p].pts(), evening[p].gf - evening[p].ga),
                    reverse=True)
    for name in order:  # the players of the evening in the order they first played
        if name not in evening:
            continue
        t = evening[name]
        tourn_count[name] += 1
        first = ranked[0] == name
        firsts[name] += first
        runs[name]["firsts"].step(first)
        scorer_count[name] += scorer == name
        if most_points is None or t.pts() > most_points[1]:
            most_points = (f"{table}{name}", t.pts())
        if t.gf - t.ga > 0 and (best_diff is None or t.gf - t.ga > best_diff[1]):
            best_diff = (f"{table}{name}", t.gf - t.ga)
        for kind, key in ((clubs, club[name]), (levels, level[name])):
            entry = kind[name].setdefault(key, [0, Tally()])
            entry[0] += 1
            e = entry[1]
            e.m += t.m
            e.w += t.w
            e.d += t.d
            e.l += t.l
            e.gf += t.gf
            e.ga += t.ga

out = {}
for a, b in pairs:
    h = h2h[(a, b)]
    out[f"h2h {a}-{b}"] = (f"{h['t'].text()} last={','.join(h['last'])} "
                           f"win={h['win'][0] if h['win'] else '-'} "
                           f"loss={h['loss'][0] if h['loss'] else '-'}")
for name in order:
    r = runs[name]
    out[f"runs {name}"] = " ".join(f"{k} {r[k].cur}/{r[k].best}"
                                   for k in ("wins", "unbeaten", "losses", "firsts"))
    nemesis = "-"
    for other in order:
        t = against[name].get(other)
        if t and t.m >= 3 and t.l > t.w and (nemesis == "-" or t.key() < against[name][nemesis].key()):
            nemesis = other
    out[f"player {name}"] = (f"t{tourn_count[name]} first{firsts[name]} "
                             f"scorer{scorer_count[name]} nemesis={nemesis}")
    two = [(c, e) for c, e in clubs[name].items() if e[0] >= 2]
    best = max(two, key=lambda ce: ce[1][1].key(), default=None)
    worst = min(two, key=lambda ce: ce[1][1].key(), default=None)
    out[f"clubs {name}"] = ("; ".join(f"{c} {e[0]} {e[1].text()}" for c, e in clubs[name].items())
                            + f"; best={best[0] if best else '-'} worst={worst[0] if worst else '-'}")
    level_order = ["Клубы 4*", "Клубы 4,5*", "Клубы 5*", "Суперклубы", "Сборные 4*",
                   "Сборные 4,5*", "Сборные 5*", "Другие"]
    out[f"levels {name}"] = "; ".join(f"{lv} {levels[name][lv][0]} {levels[name][lv][1].text()}"
                                      for lv in level_order if lv in levels[name])
out["group"] = (f"win={best_win[0]}:{best_win[1]} goals={most_goals[0]}:{most_goals[1]} "
                f"points={most_points[0]}:{most_points[1]} diff={best_diff[0]}:{best_diff[1]}")
out["book"] = f"tournaments={len(tournaments)} noscorer={no_scorer}"
for key, value in out.items():
    print(f"{key}={value}")
