#!/usr/bin/python3
"""One table from the JSON files of the benchmark programs (--benchmark_format=json).

Every program names its scenarios in its context: a numbered entry "kv_goal NNN" whose
value is "scenario=...;title=...;floor=...[;ratio=R][;max_ms=M][;counter=C]". A scenario is
compared with its floor by wall time, or by counter C when given; with repetitions the median of
the repetitions counts. The table starts with the machine it ran on, since only the ratios carry
over to another one. Exit status 0 whatever the goals say: the table is the answer.
"""
import json
import os
import platform
import statistics
import sys

TO_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}


def proc_field(path, key):
    """The value of "key: value" in a /proc file, or None where there is none (not Linux)."""
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            for line in f:
                name, _, value = line.partition(":")
                if name.strip() == key:
                    return value.strip()
    except OSError:
        pass
    return None


def machine(contexts):
    """CPU model, cores, memory; and how busy the machine was when the programs started."""
    cpu = proc_field("/proc/cpuinfo", "model name") or platform.processor() or "unknown CPU"
    cores = os.cpu_count() or (contexts[0].get("num_cpus") if contexts else None) or "?"
    mem_kb = proc_field("/proc/meminfo", "MemTotal")
    memory = f"{int(mem_kb.split()[0]) / 1024 / 1024:.1f} GB" if mem_kb else "unknown memory"
    text = f"machine: {cpu}, {cores} cores, {memory} memory, {platform.system()} {platform.machine()}"
    loads = [c["load_avg"][0] for c in contexts if c.get("load_avg")]
    if loads:
        text += (f"\nload average (1 min) as the programs started: {min(loads):.1f} to "
                 f"{max(loads):.1f}; above {cores} the other work on the machine slowed the runs")
    return text


def load(paths):
    runs, goals, failed, contexts = {}, [], [], []
    for path in paths:
        try:
            with open(path, encoding="utf-8") as f:
                data = json.load(f)
        except (OSError, ValueError) as e:
            failed.append(f"{path}: {e}")
            continue
        contexts.append(data.get("context", {}))
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
    return runs, goals, failed, contexts


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
        if counter.endswith("_ms"):
            return value, f"{value:.3g} ms"
        return value, f"{value:.4g}"
    value = statistics.median(b["real_time"] * TO_MS[b.get("time_unit", "ns")] for b in reps)
    return value, f"{value:.3g} ms" if value >= 0.01 else f"{value * 1000:.3g} us"


def cpu_ms(runs, name):
    """Median CPU time: the counter cpu_ms where a program counts it itself (a child process),
    else the benchmark's own CPU time. Other work on the machine changes it less than wall time."""
    reps = [b for b in runs.get(name, []) if not b.get("error_occurred")]
    if not reps:
        return None
    if all("cpu_ms" in b for b in reps):
        return statistics.median(b["cpu_ms"] for b in reps)
    return statistics.median(b["cpu_time"] * TO_MS[b.get("time_unit", "ns")] for b in reps)


def judge(goal, value, floor_value):
    ratio = value / floor_value if value is not None and floor_value else None
    parts, met = [], True
    if "ratio" in goal:
        parts.append(f"<= {float(goal['ratio']):.2f}x")
        met = met and ratio is not None and ratio <= float(goal["ratio"])
    if "max_ms" in goal:
        parts.append(f"< {goal['max_ms']} ms")
        met = met and value is not None and value < float(goal["max_ms"])
    if not parts:
        return ratio, "report", ""
    return ratio, ", ".join(parts), "yes" if met else "NO"


def main(paths):
    runs, goals, failed, contexts = load(paths)
    print(machine(contexts))
    print()
    header = ("program", "scenario", "time", "floor", "floor time", "ratio", "goal", "met",
              "cpu ratio")
    rows = []
    for goal in goals:
        counter = goal.get("counter", "")
        value, shown = measure(runs, goal["scenario"], counter)
        floor = goal.get("floor", "")
        floor_value, floor_shown = measure(runs, floor, counter) if floor else (None, "")
        ratio, wanted, met = judge(goal, value, floor_value)
        cpu_ratio = "-"
        if floor and not counter:
            cpu, floor_cpu = cpu_ms(runs, goal["scenario"]), cpu_ms(runs, floor)
            if cpu is not None and floor_cpu:
                cpu_ratio = f"{cpu / floor_cpu:.2f}x"
        rows.append((goal["program"], goal.get("title", goal["scenario"]), shown, floor,
                     floor_shown, f"{ratio:.2f}x" if ratio is not None else "-", wanted, met,
                     cpu_ratio))
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
    print("Goals are judged on the median wall time (or memory); the cpu ratio beside them is the "
          "same comparison in CPU time, a check when the machine was busy.")
    for f in failed:
        print("unreadable: " + f)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
