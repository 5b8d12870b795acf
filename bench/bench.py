#!/usr/bin/env python3
"""Runs every benchmark of tallynix and prints one table (see docs/performance.md).

Called by bench/run after it has built everything; the paths below are those
bench/run builds. Options:

  --rounds N        Wine rounds after the warm-up (default 7, at least 7 for
                    the published table)
  --launch-pairs N  extra launch-only pairs per round (default 2): launch time
                    is the noisiest figure, so it gets more pairs
  --idle S          length of each context-switch window in seconds (default 10)
  --skip-native / --skip-wine
  --json FILE       also write the raw figures (default build/bench/results.json)
  --against NAME=EXE
                    instead of everything above: this tree's win64 exe and an
                    earlier build's tallynix.exe (repeat for more) take turns
                    in one world, round after round, for the refill, the
                    delete and the outside change at 10,000 memos, and
                    launch with --launch-pairs launches per round (raw
                    figures in build/bench/compare.json)
  --samples N       with --against: measurements per exe and turn (default 3)
"""

from __future__ import annotations

import argparse
import concurrent.futures
import datetime
import json
import os
import platform
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
sys.path.insert(0, str(ROOT / "bench" / "wine"))
from tallynix_e2e.world import wine32_runs, wine_version  # noqa: E402
BUILD = ROOT / "build" / "bench"
NATIVE = BUILD / "native"
SIZES = (1000, 10000, 100000)
OPS = ("readAll", "append", "removeSelected")
UTF8_SIZE = 10000  # the UTF-8 file read beside the Shift-JIS one
MIB = 1024.0

# Windows' own DLLs: what a program may import and still run on a bare system.
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "advapi32.dll", "msvcrt.dll",
    "comctl32.dll", "comdlg32.dll", "ole32.dll", "oleaut32.dll", "shlwapi.dll", "uxtheme.dll",
    "version.dll", "imm32.dll", "winmm.dll", "ws2_32.dll", "ntdll.dll", "kernelbase.dll",
    "ucrtbase.dll", "bcrypt.dll", "crypt32.dll", "dwmapi.dll", "shcore.dll", "msimg32.dll",
}


def log(message: str):
    sys.stderr.write("[bench] %s\n" % message)
    sys.stderr.flush()


# --------------------------------------------------------------------------- native


def google_benchmark(data_dir: Path) -> dict:
    """Median wall time (µs) per benchmark name, e.g. 'readAll/tallynix/1000'."""
    out = subprocess.run(
        [str(NATIVE / "memo_bench"), "--benchmark_format=json", "--benchmark_repetitions=5",
         "--benchmark_enable_random_interleaving=true", "--benchmark_report_aggregates_only=true",
         "--benchmark_min_time=0.1"],
        env={**os.environ, "BENCH_DATA": str(data_dir)}, capture_output=True, text=True, check=True,
        timeout=600).stdout
    figures = {}
    for entry in json.loads(out)["benchmarks"]:
        if entry.get("aggregate_name") != "median":
            continue
        m = re.match(r"BM_(\w+?)_(tallynix|floor)/(\d+)", entry["run_name"])
        scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[entry["time_unit"]]
        figures["%s/%s/%s" % (m.group(1), m.group(2), m.group(3))] = entry["real_time"] * scale
    return figures


def callgrind_one(impl: str, op: str, n: int, data_dir: Path, encoding: str = "") -> int:
    """Instructions of one call, counted by callgrind (a fresh copy of the memo file; encoding
    "utf8": the UTF-8 one)."""
    work = Path(tempfile.mkdtemp(prefix="cg-%s-%s-%d-" % (impl, op, n), dir=data_dir))
    try:
        memo = work / "memo.txt"
        shutil.copyfile(data_dir / ("memo-%s%d.txt" % (encoding, n)), memo)
        out = work / "callgrind.out"
        subprocess.run(["valgrind", "--tool=callgrind", "--collect-atstart=no",
                        "--callgrind-out-file=%s" % out, str(NATIVE / "memo_ops"), "run", impl, op,
                        str(memo), str(n)], check=True, capture_output=True, timeout=600)
        total = re.search(r"^totals:\s+(\d+)", out.read_text(), re.M)
        profile = data_dir / ("callgrind.%s.%s.%s%d.out" % (impl, op, encoding, n))
        shutil.copyfile(out, profile)  # kept for callgrind_annotate
        return int(total.group(1))
    finally:
        shutil.rmtree(work, ignore_errors=True)


def native(data_dir: Path) -> dict:
    data_dir.mkdir(parents=True, exist_ok=True)
    for n in SIZES:
        subprocess.run([str(NATIVE / "memo_ops"), "gen", str(n), str(data_dir / ("memo-%d.txt" % n))], check=True)
    # The same memos as a UTF-8 file, as Notepad saves it.
    subprocess.run([str(NATIVE / "memo_ops"), "gen", str(UTF8_SIZE), str(data_dir / ("memo-utf8%d.txt" % UTF8_SIZE)),
                    "utf8"], check=True)
    jobs = [(impl, op, n, "") for n in SIZES for op in OPS for impl in ("tallynix", "floor")]
    jobs.append(("tallynix", "readAll", UTF8_SIZE, "utf8"))
    log("callgrind: %d runs" % len(jobs))
    # Instruction counts do not depend on what else runs: two at a time.
    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        counts = dict(zip(("%s/%s%s/%d" % (op, impl, "-" + enc if enc else "", n) for impl, op, n, enc in jobs),
                          pool.map(lambda job: callgrind_one(*job[:3], data_dir, job[3]), jobs)))
    log("Google Benchmark")
    times = google_benchmark(data_dir)
    return {"instructions": counts, "wall_us": times}


# --------------------------------------------------------------------------- the exe


def exe_facts(exe: Path) -> dict:
    stripped = BUILD / "tallynix-stripped.exe"
    subprocess.run(["x86_64-w64-mingw32-strip", "-o", str(stripped), str(exe)], check=True)
    dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", str(stripped)], capture_output=True, text=True,
                          check=True, env={**os.environ, "LC_ALL": "C"}).stdout
    dlls = re.findall(r"DLL Name:\s*(\S+)", dump)
    return {"bytes": stripped.stat().st_size, "built_bytes": exe.stat().st_size, "dlls": dlls,
            "non_system": [d for d in dlls if d.lower() not in SYSTEM_DLLS and not d.lower().startswith("api-ms-win-")]}


# --------------------------------------------------------------------------- the table


def fmt(value, pattern="%.0f", none="—"):
    return none if value is None else pattern % value


def ratio(a, b):
    return None if a is None or b in (None, 0) else a / b


def median(values):
    values = [v for v in values if v is not None]
    return statistics.median(values) if values else None


def machine() -> dict:
    cpu = "unknown"
    with open("/proc/cpuinfo") as info:
        for line in info:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    return {"nproc": os.cpu_count(), "cpu": cpu, "kernel": platform.release(),
            "load": os.getloadavg(), "wine": wine_version()}


def wine_results(results: dict) -> dict:
    """The Wine figures per exe (a run of an older bench.py measured the 64-bit one only)."""
    wine = results.get("wine") or {}
    return {"win64": wine} if "tallynix" in wine else wine


def wine_table(add, budgets: list, arch: str, wine: dict):
    """The Wine figures of one exe beside its floor."""
    t, f = wine["tallynix"], wine["floor"]
    pairs = wine["launch_pairs"]
    launch_ratio = median([a / b for a, b in pairs])
    add("")
    add("%s exe under Wine (%s rounds after a warm-up, tallynix and the floor alternating; %d launch pairs)"
        % (arch, wine["rounds"], len(pairs)))
    add("%-46s %10s %10s %8s" % ("figure (median)", "tallynix", "floor", "ratio"))
    lt, lf = median([a for a, _ in pairs]), median([b for _, b in pairs])
    add("%-46s %7.0f ms %7.0f ms %7.2fx" % ("launch to first pixels", lt, lf, launch_ratio))
    rt, rf = median([r["rss_kib"] for r in t]), median([r["rss_kib"] for r in f])
    rss_ratio = median([a["rss_kib"] / b["rss_kib"] for a, b in zip(t, f)])
    add("%-46s %6.1f MiB %6.1f MiB %7.2fx" % ("VmRSS 2 s after first pixels", rt / MIB, rf / MIB, rss_ratio))
    tips = [r["rss_tip_kib"] for r in t if "rss_tip_kib" in r]
    if tips:
        add("%-46s %6.1f MiB %10s %8s" % ("VmRSS after the first tooltip", median(tips) / MIB, "—", "—"))
    cvt, cvf = median([r["ctx_visible"] for r in t]), median([r["ctx_visible"] for r in f])
    add("%-46s %10.0f %10.0f %8s" % ("context switches in %gs, visible, list focused" % wine["idle_seconds"],
                                      cvt, cvf, fmt(ratio(cvt, cvf), "%.2fx")))
    cht, chf = median([r["ctx_hidden"] for r in t]), median([r["ctx_hidden"] for r in f])
    add("%-46s %10.0f %10.0f %8s" % ("context switches in %gs, hidden" % wine["idle_seconds"], cht, chf,
                                      fmt(ratio(cht, chf), "%.2fx")))
    if wine["delete"]:
        for n in ("1000", "10000"):
            rows = wine["refill"][n]
            add("%-46s %7.0f ms %10s %8s" % ("refill of %s memos, click to full list" % format(int(n), ","),
                                              median([r["ms"] for r in rows]), "—", "—"))
        outside = wine.get("outside", {})
        for n in outside:
            add("%-46s %7.0f ms %10s %8s" % ("outside change, %s memos, write to full list" % format(int(n), ","),
                                              median([r["ms"] for r in outside[n]]), "—", "—"))
        delete = median([r["ms"] for r in wine["delete"]])
        add("%-46s %7.0f ms %10s %8s" % ("delete at 10,000 memos, click to new full list", delete, "—", "—"))
    add("  per round: launch ms t/f %s" % " ".join("%.0f/%.0f" % tuple(p) for p in pairs))
    add("  per round: hidden ctx t %s | f %s" % (" ".join(str(r["ctx_hidden"]) for r in t),
                                                  " ".join(str(r["ctx_hidden"]) for r in f)))
    add("  per round: visible ctx t %s | f %s" % (" ".join(str(r["ctx_visible"]) for r in t),
                                                   " ".join(str(r["ctx_visible"]) for r in f)))
    if wine["delete"]:
        add("  per round: refill 10,000 ms %s; delete ms %s" % (
            " ".join("%.0f" % r["ms"] for r in wine["refill"]["10000"]),
            " ".join("%.0f" % r["ms"] for r in wine["delete"])))
        if "10000" in wine.get("outside", {}):
            add("  per round: outside change 10,000 ms %s"
                % " ".join("%.0f" % r["ms"] for r in wine["outside"]["10000"]))
    budgets.append((arch + ": launch to first pixels <= 1.15 x the floor (median ratio)", launch_ratio <= 1.15,
                    "%.2fx" % launch_ratio))
    budgets.append((arch + ": VmRSS within 1 MiB of the floor", rt - rf <= 1024,
                    "%+.1f MiB" % ((rt - rf) / MIB)))
    worst_hidden = max(r["ctx_hidden"] for r in t)
    budgets.append((arch + ": hidden: 0 context switches in %gs (every round)" % wine["idle_seconds"], worst_hidden == 0,
                    "median %.0f, max %d" % (cht, worst_hidden)))
    budgets.append((arch + ": visible, list focused: no more context switches than the floor", cvt <= cvf,
                    "%.0f vs %.0f" % (cvt, cvf)))
    if wine["delete"]:
        refill = median([r["ms"] for r in wine["refill"]["10000"]])
        budgets.append((arch + ": refill of 10,000 memos < 150 ms", refill < 150, "%.0f ms" % refill))
        budgets.append((arch + ": delete at 10,000 memos < 200 ms", delete < 200, "%.0f ms" % delete))
        if "10000" in wine.get("outside", {}):
            shown = median([r["ms"] for r in wine["outside"]["10000"]])
            budgets.append((arch + ": outside change at 10,000 memos shown < 200 ms", shown < 200,
                            "%.0f ms" % shown))


def comparison_table(results: dict) -> str:
    """The exes' figures side by side (bench.py --against)."""
    lines = []
    add = lines.append
    m, wine = results["machine"], results["compare"]
    names = wine["names"]
    add("tallynix against earlier builds  %s  (%s, nproc %s, %s)" % (results["date"], m["cpu"], m["nproc"], m["wine"]))
    add("win64 exes under Wine, taking turns in one world: a warm-up turn each, then %d rounds, each in another"
        % wine["rounds"])
    add("order; a turn launches the exe with 9,999 memos, warms up once, then measures %d times" % wine["samples"])
    for name in names:
        add("  %-10s %s" % (name, wine["exes"][name]))
    add("load average at the start %s, per round %s, at the end %s" % (
        "%.2f" % results["load_start"][0], " ".join("%.2f" % load[0] for load in wine["load"]),
        "%.2f" % results["load_end"][0]))
    turns = wine["turns"]
    rows = [("delete at 10,000 memos, click to new full list", "delete"),
            ("refill of 10,000 memos, click to full list", "refill"),
            ("outside change, 10,000 memos, to full list", "outside")]
    add("")
    add("%-48s %s" % ("figure, median of all samples (ms)", " ".join("%10s" % name for name in names)))
    for title, key in rows:
        medians = [median([v for turn in turns[name] for v in turn[key]]) for name in names]
        add("%-48s %s" % (title, " ".join("%10.1f" % v for v in medians)))
        add("%-48s %s" % ("  tallynix / each", " ".join("%9.2fx" % (medians[0] / v) for v in medians)))
    launch = [median(wine["launch_ms"][name]) for name in names]
    add("%-48s %s" % ("launch to first pixels, empty memo.txt", " ".join("%10.0f" % v for v in launch)))
    add("%-48s %s" % ("  tallynix / each", " ".join("%9.2fx" % (launch[0] / v) for v in launch)))
    add("%-48s %s" % ("  launches per exe", " ".join("%10d" % len(wine["launch_ms"][name]) for name in names)))
    add("")
    add("per round, median of the turn's samples (ms)")
    for _, key in rows:
        for name in names:
            add("  %-7s %-10s %s" % (key, name, " ".join("%.0f" % median(turn[key]) for turn in turns[name])))
    return "\n".join(lines)


def table(results: dict) -> str:
    if "compare" in results:
        return comparison_table(results)
    lines = []
    add = lines.append
    budgets: list[tuple[str, bool | None, str]] = []
    m = results["machine"]
    add("tallynix benchmarks  %s  (%s, nproc %s, %s)" % (results["date"], m["cpu"], m["nproc"], m["wine"]))
    add("load average at start %.2f %.2f %.2f" % tuple(results["load_start"]))

    nat = results.get("native")
    if nat:
        add("")
        add("Native memo store (host g++ -O3, POSIX + iconv) beside the floor")
        add("  wall: Google Benchmark, median of 5 randomly interleaved repetitions, files on disk")
        add("  Ir: callgrind instructions of one call, per memo in the file (append: per call, as it")
        add("      touches one line whatever the file holds)")
        add("%-14s %7s | %11s %11s %6s | %9s %11s %11s %6s" % ("operation", "memos", "tallynix", "floor", "ratio",
                                                               "Ir", "tallynix", "floor", "ratio"))
        for op in OPS:
            for n in SIZES:
                wt, wf = nat["wall_us"].get("%s/tallynix/%d" % (op, n)), nat["wall_us"].get("%s/floor/%d" % (op, n))
                it, iff = nat["instructions"]["%s/tallynix/%d" % (op, n)], nat["instructions"]["%s/floor/%d" % (op, n)]
                per = 1 if op == "append" else n
                add("%-14s %7d | %8.0f us %8.0f us %5.2fx | %9s %11.1f %11.1f %5.2fx" % (
                    op, n, wt, wf, ratio(wt, wf), "per call" if op == "append" else "per memo",
                    it / per, iff / per, ratio(it, iff)))
        utf8 = nat["instructions"].get("readAll/tallynix-utf8/%d" % UTF8_SIZE)
        if utf8:
            sjis = nat["instructions"]["readAll/tallynix/%d" % UTF8_SIZE]
            add("%-14s %7d | %11s %11s %6s | %9s %11.1f %11s %5.2fx of the Shift-JIS file" % (
                "readAll UTF-8", UTF8_SIZE, "", "", "", "per memo", utf8 / UTF8_SIZE, "", utf8 / sjis))
        worst = max(nat["instructions"]["readAll/tallynix/%d" % n] / nat["instructions"]["readAll/floor/%d" % n]
                    for n in SIZES)
        budgets.append(("native readAll <= 1.25 x the floor's instructions per memo", worst <= 1.25,
                        "worst ratio %.2fx" % worst))
        # The delete the delete button runs reads the file to find the pick, writes it and
        # reads what it writes before that (the check of the write path): about two reads and
        # a write. 30 ms until it was measured for removeByIndex, which read no memo.
        remove = nat["wall_us"]["removeSelected/tallynix/100000"]
        read = nat["wall_us"]["readAll/tallynix/100000"]
        budgets.append(("delete (removeSelected) at 100,000 memos <= 3 x readAll", remove <= 3 * read,
                        "%.1f ms, %.2fx" % (remove / 1000, remove / read)))

    for arch, wine in wine_results(results).items():
        if wine is None:
            add("")
            add("%s exe under Wine: not measured, this kernel runs no i386 code" % arch)
        else:
            wine_table(add, budgets, arch, wine)

    exe = results.get("exe")
    if exe:
        add("")
        add("win64 tallynix.exe, stripped: %s bytes (%.1f KiB); imports %s" % (
            format(exe["bytes"], ","), exe["bytes"] / 1024, ", ".join(exe["dlls"])))
        # 300 KiB until UTF-8 memo files, per-monitor DPI and the tooltips came (308 KiB);
        # 320 KiB until the checked write path, the turn beside a linked memo.txt and the
        # session's end came (320.5 KiB); 328 KiB until the keyboard's icon, renumbering
        # that keeps hand-typed lines, clear all through a viewer, links whose target is
        # gone and following a linked memo.txt came (333 KiB).
        ok = exe["bytes"] <= 336 * 1024 and not exe["non_system"]
        budgets.append(("win64 stripped exe <= 336 KiB, system DLLs only", ok,
                        "%.1f KiB%s" % (exe["bytes"] / 1024,
                                        "; not system: " + ", ".join(exe["non_system"]) if exe["non_system"] else "")))

    add("")
    add("Budgets")
    for name, passed, detail in budgets:
        add("  %-4s %-74s %s" % ("PASS" if passed else "MISS", name, detail))
    return "\n".join(lines)


# --------------------------------------------------------------------------- main


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--rounds", type=int, default=7)
    parser.add_argument("--launch-pairs", type=int, default=2)
    parser.add_argument("--idle", type=float, default=10.0)
    parser.add_argument("--skip-native", action="store_true")
    parser.add_argument("--skip-wine", action="store_true")
    parser.add_argument("--json", type=Path, default=BUILD / "results.json")
    parser.add_argument("--from-json", type=Path, help="print the table of an earlier run and exit")
    parser.add_argument("--against", action="append", default=[], metavar="NAME=EXE")
    parser.add_argument("--samples", type=int, default=3)
    args = parser.parse_args()

    if args.from_json:
        print(table(json.loads(args.from_json.read_text())))
        return

    started = time.monotonic()
    results = {"date": datetime.date.today().isoformat(), "machine": machine(), "load_start": os.getloadavg()}
    exe = ROOT / "build" / "win64" / "tallynix.exe"
    if args.against:
        import wine_bench
        others = {}
        for given in args.against:
            name, _, path = given.partition("=")
            others[name] = Path(path).resolve()
        log("Wine, win64 exes against each other: %d rounds" % args.rounds)
        results["compare"] = wine_bench.compare(
            dict(tallynix=exe, probe=ROOT / "build" / "win64" / "tests" / "e2e" / "tallynix_probe.exe",
                 xwatch=BUILD / "xwatch", work_dir=BUILD / "wine-work-compare",
                 artifacts=BUILD / "wine-artifacts-compare"),
            others, rounds=args.rounds, samples=args.samples, launches=args.launch_pairs)
        if args.json == BUILD / "results.json":
            args.json = BUILD / "compare.json"
    else:
        results["exe"] = exe_facts(exe)

    if not args.skip_native and not args.against:
        results["native"] = native(BUILD / "data")

    if not args.skip_wine and not args.against:
        import wine_bench
        results["wine"] = {}
        for arch in ("win64", "win32"):
            if arch == "win32" and not wine32_runs():
                log("this kernel runs no i386 code: the 32-bit exe is not measured")
                results["wine"][arch] = None
                continue
            log("Wine, %s exe: %d rounds" % (arch, args.rounds))
            # The 32-bit exe: launch, memory and idle figures; the list's timings are the 64-bit exe's.
            results["wine"][arch] = wine_bench.measure(
                dict(tallynix=ROOT / "build" / arch / "tallynix.exe", floor=BUILD / arch / "floor.exe",
                     probe=ROOT / "build" / arch / "tests" / "e2e" / "tallynix_probe.exe", xwatch=BUILD / "xwatch",
                     work_dir=BUILD / ("wine-work-" + arch), artifacts=BUILD / ("wine-artifacts-" + arch)),
                rounds=args.rounds, idle_seconds=args.idle, launch_pairs=args.launch_pairs,
                edit_rounds=None if arch == "win64" else 0)

    results["load_end"] = os.getloadavg()
    results["seconds"] = time.monotonic() - started
    args.json.parent.mkdir(parents=True, exist_ok=True)
    args.json.write_text(json.dumps(results, indent=1, ensure_ascii=False))
    print(table(results))
    print("\n(%.0f s; load average at the end %.2f %.2f %.2f; raw figures in %s)"
          % (results["seconds"], *results["load_end"], args.json))


if __name__ == "__main__":
    main()
