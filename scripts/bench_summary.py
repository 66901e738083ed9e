#!/usr/bin/env python3
"""Summary of scripts/bench.sh results: per case the time of every engine,
then the geometric means over the non-pathological engine cases of
Vantora / PCRE2 interpreter, Vantora / PCRE2 JIT and std::regex / Vantora,
the cases furthest behind PCRE2 JIT, the -ing words against PCRE2 JIT, the
1,000-word alternation against RE2, the slowest pathological case, compile
times and the page extraction."""
import json
import math
import sys

rows = {}
for path in sys.argv[1:]:
    with open(path) as f:
        data = json.load(f)
    for b in data.get("benchmarks", []):
        parts = b["name"].split("/")
        if len(parts) < 3:
            continue
        group, case, engine = parts[0], parts[1], parts[2]
        if group not in ("engines", "extraction", "compile"):
            continue
        scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[b.get("time_unit", "ns")]
        entry = {"us": b["real_time"] * scale, "cpu": b["cpu_time"] * scale,
                 "error": b.get("error_occurred", False),
                 "gave_up": b.get("gave_up", 0) == 1, "msg": b.get("error_message", "")}
        rows.setdefault((group, case), {})[engine] = entry

def fmt(e):
    if e is None:
        return "-"
    if e["error"]:
        return "ERROR"
    return ("%.1f" % e["us"]) + ("(gave up)" if e["gave_up"] else "")

engines = ["Vantora", "PCRE2-interp", "PCRE2-JIT", "Onig", "StdRegex", "RE2", "Hyperscan"]
print("\n%-28s" % "case (microseconds)" + "".join("%13s" % e for e in engines))
for (group, case), r in sorted(rows.items()):
    print("%-28s" % (group + "/" + case) + "".join("%13s" % fmt(r.get(e)) for e in engines))
    for e in engines:
        if r.get(e) and r[e]["error"]:
            print("    %s: %s" % (e, r[e]["msg"]))

def geomean(xs):
    return math.exp(sum(math.log(x) for x in xs) / len(xs)) if xs else float("nan")

vs_pcre, vs_std, vs_pcre_cpu, vs_std_cpu, vs_jit = [], [], [], [], []
worst_patho = (0.0, "")
for (group, case), r in rows.items():
    v = r.get("Vantora")
    if group != "engines" or not v or v["error"]:
        continue
    if case.startswith("patho_"):
        if case.endswith("_10000") and v["us"] > worst_patho[0]:
            worst_patho = (v["us"], case)
        continue
    p, s, j = r.get("PCRE2-interp"), r.get("StdRegex"), r.get("PCRE2-JIT")
    if j and not j["error"]:
        vs_jit.append((v["us"] / j["us"], case))
    if p and not p["error"]:
        vs_pcre.append(v["us"] / p["us"])
        vs_pcre_cpu.append(v["cpu"] / p["cpu"])
    if s and not s["error"]:
        vs_std.append(s["us"] / v["us"])
        vs_std_cpu.append(s["cpu"] / v["cpu"])
print("\nnon-pathological cases: Vantora / PCRE2-interp geometric mean = %.2fx wall, %.2fx CPU over %d cases"
      " (target <= 1.5)" % (geomean(vs_pcre), geomean(vs_pcre_cpu), len(vs_pcre)))
print("non-pathological cases: std::regex / Vantora geometric mean = %.2fx wall, %.2fx CPU over %d cases"
      " (target >= 5)" % (geomean(vs_std), geomean(vs_std_cpu), len(vs_std)))
print("non-pathological cases: Vantora / PCRE2-JIT geometric mean = %.2fx wall over %d cases"
      % (geomean([x for x, _ in vs_jit]), len(vs_jit)))
print("furthest behind PCRE2-JIT: " + ", ".join("%s %.1fx" % (c, x) for x, c in sorted(vs_jit)[::-1][:5]))

def ratio(case, a, b):
    r = rows.get(("engines", case), {})
    if r.get(a) and r.get(b) and not r[a]["error"] and not r[b]["error"]:
        return r[a]["us"] / r[b]["us"]
    return float("nan")

print("ing_words: Vantora / PCRE2-JIT = %.2fx (target <= 1.5)" % ratio("ing_words", "Vantora", "PCRE2-JIT"))
print("alternation_1000: Vantora / RE2 = %.2fx (target <= 2)" % ratio("alternation_1000", "Vantora", "RE2"))
page = rows.get(("extraction", "page"), {}).get("Vantora")
if page and not page["error"]:
    print("page extraction: %.0f us wall, %.0f us CPU (target < 1000)" % (page["us"], page["cpu"]))
if worst_patho[1]:
    print("slowest pathological case at 10,000 characters: %s %.2f ms (target < 50)"
          % (worst_patho[1], worst_patho[0] / 1000.0))
