#!/usr/bin/python3
"""One table from the JSON files of the benchmark programs (--benchmark_format=json).

Every program names its scenarios in its context: a numbered entry "kv_goal NNN" whose
value is "scenario=...;title=...;floor=...[;ratio=R][;max_ms=M][;counter=C]". A scenario is
compared with its floor by wall time, or by counter C when given; with repetitions the median of
the repetitions counts. Exit status 0 whatever the goals say: the table is the answer.
"""
import json
import statistics
import sys

TO_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}


def load(paths):
    runs, goals, failed = {}, [], []
    for path in paths:
        try:
            with open(path, encoding="utf-8") as f:
                data = json.load(f)
        except (OSError, ValueError) as e:
            failed.append(f"{path}: {e}")
            continue
        for key, value in sorted(data.get("context", {}).items()):
            if key.startswith("kv_goal "):
                goal = dict(part.split("=", 1) for part in value.split(";") if "=" in part)
                goal["program"] = data["context"].get("executable", path).rsplit("/", 1)[-1]
                goals.append(goal)
        for b in data.get("benchmarks", []):
            if b.get("run_type", "iteration") != "iteration":
                continue  # aggregates are recomputed below from the repetitions
            name = b.get("run_name", b["name"])
            runs.setdefault(name, []).append(b)
    return runs, goals, failed


def measure(runs, name, counter):
    """Median over the repetitions: (value, shown text) or (None, why)."""
    reps = runs.get(name)
    if not reps:
        return None, "not run"
    errors = [b.get("error_message", "error") for b in reps if b.get("error_occurred")]
    if errors:
        return None, "error: " + errors[0]
    if counter:
        values = [b[counter] for b in reps if counter in b]
        if not values:
            return None, f"no {counter}"
        value = statistics.median(values)
        if counter.endswith("_kb"):
            return value, f"{value / 1024:.1f} MB"
        return value, f"{value:.4g}"
    value = statistics.median(b["real_time"] * TO_MS[b.get("time_unit", "ns")] for b in reps)
    return value, f"{value:.3g} ms" if value >= 0.01 else f"{value * 1000:.3g} us"


def judge(goal, value, floor_value):
    ratio = value / floor_value if value is not None and floor_value else None
    parts, met = [], True
    if "ratio" in goal:
        parts.append(f"<= {goal['ratio']}x")
        met = met and ratio is not None and ratio <= float(goal["ratio"])
    if "max_ms" in goal:
        parts.append(f"< {goal['max_ms']} ms")
        met = met and value is not None and value < float(goal["max_ms"])
    if not parts:
        return ratio, "report", ""
    return ratio, ", ".join(parts), "yes" if met else "NO"


def main(paths):
    runs, goals, failed = load(paths)
    header = ("program", "scenario", "time", "floor", "floor time", "ratio", "goal", "met")
    rows = []
    for goal in goals:
        counter = goal.get("counter", "")
        value, shown = measure(runs, goal["scenario"], counter)
        floor = goal.get("floor", "")
        floor_value, floor_shown = measure(runs, floor, counter) if floor else (None, "")
        ratio, wanted, met = judge(goal, value, floor_value)
        rows.append((goal["program"], goal.get("title", goal["scenario"]), shown, floor,
                     floor_shown, f"{ratio:.2f}x" if ratio is not None else "-", wanted, met))
    widths = [max(len(r[i]) for r in rows + [header]) for i in range(len(header))]
    line = lambda r: "  ".join(c.ljust(w) for c, w in zip(r, widths)).rstrip()
    print(line(header))
    print(line(tuple("-" * w for w in widths)))
    for r in rows:
        print(line(r))
    met = sum(1 for r in rows if r[7] == "yes")
    missed = [r[1] for r in rows if r[7] == "NO"]
    print(f"\n{len(rows)} scenarios, {met} goals met, {len(missed)} missed"
          + (": " + "; ".join(missed) if missed else ""))
    for f in failed:
        print("unreadable: " + f)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
