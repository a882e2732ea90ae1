#!/usr/bin/env python3
"""Mutation check of the test suite: puts each small fault from mutants.txt
into production code in turn, builds, runs the tests and records whether some
test caught it. The tree is restored byte for byte after every mutant.

  scripts/mutants.py [--build-dir build] [--ids a,b] [--out mutants.jsonl]
  scripts/mutants.py --compile-only ...    only check each mutant still builds
  scripts/mutants.py --compare BASE.jsonl NEW.jsonl
"""
import argparse, json, os, signal, subprocess, sys, time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
PRODUCTION_DIRS = ("core/", "gui/", "server/")
# Targets that hold production code only; a mutant that breaks these is invalid.
CORE_LAYERS = ["base", "sync", "wire", "link", "commands", "config", "session", "reading", "events", "search",
               "writing", "admin"]
# Each layer of core is a library of its own (pellar_core itself only names them).
PRODUCTION_TARGETS = ["pellar_core_" + layer for layer in CORE_LAYERS] + ["miravod", "pellar_gui", "pellar",
                                                                          "miravod_exe"]


def parse_list(path):
    """Blocks separated by blank lines: 'key: value' lines for id, file, tests
    and desc; '- ' lines are the original snippet, '+ ' lines its replacement
    ('-' or '+' alone is an empty line)."""
    mutants, cur = [], None
    for raw in Path(path).read_text(encoding="utf-8").splitlines() + [""]:
        if raw.startswith("#"):
            continue
        if not raw.strip():
            if cur:
                mutants.append(cur)
            cur = None
            continue
        cur = cur or {"orig": [], "repl": []}
        if raw[:1] in "-+" and (len(raw) == 1 or raw[1] == " "):
            cur["orig" if raw[0] == "-" else "repl"].append(raw[2:])
        else:
            key, _, value = raw.partition(":")
            cur[key.strip()] = value.strip()
    for m in mutants:
        missing = [k for k in ("id", "file", "tests", "desc") if k not in m]
        if missing or not m["orig"]:
            sys.exit(f"mutants list: block {m.get('id', '?')} lacks {missing or 'original lines'}")
        m["orig"], m["repl"] = "\n".join(m["orig"]), "\n".join(m["repl"])
    ids = [m["id"] for m in mutants]
    if len(ids) != len(set(ids)):
        sys.exit("mutants list: duplicate ids")
    return mutants


def run(cmd, log, env=None):
    with open(log, "a") as out:
        return subprocess.run(cmd, cwd=ROOT, stdout=out, stderr=subprocess.STDOUT, env=env).returncode


def ctest_run(build, log, *options):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    cmd = ["nice", "-n", "19", "ctest", "--test-dir", str(build), "--timeout", "180", "--output-on-failure"]
    return run(cmd + list(options), log, env) == 0


def failed_log(build):
    return Path(build) / "Testing" / "Temporary" / "LastTestsFailed.log"


def first_failed(build):
    """The first failing test's name, from ctest's own record of the last run."""
    failed = failed_log(build)
    if failed.exists():
        for line in failed.read_text(errors="replace").splitlines():
            if ":" in line:
                return line.split(":", 1)[1].strip()
    return "?"


def failing_test(build, regex, log, flaky):
    """The first test that fails in this run and again when rerun alone; None
    when all pass. A failure that does not come back is noted as flaky and the
    run is repeated, so a busy machine cannot pass for a caught fault."""
    for _ in range(3):
        failed_log(build).unlink(missing_ok=True)
        if ctest_run(build, log, "--stop-on-failure", "-j2", "--no-tests=ignore", *(["-R", regex] if regex else [])):
            return None
        name = first_failed(build)
        if not ctest_run(build, log, "--rerun-failed"):
            return name
        flaky.append(name)
    return None


def ninja(build, log, targets=()):
    return run(["nice", "-n", "19", "ninja", "-C", str(build), *targets], log) == 0


def try_mutant(m, build, logdir, compile_only, flaky):
    """Applies one mutant, judges it, and always puts the file back."""
    path = ROOT / m["file"]
    if not path.exists():
        return "stale", "file missing"
    original = path.read_bytes()
    orig, repl = m["orig"].encode(), m["repl"].encode()
    if original.count(orig) != 1:
        return "stale", f"snippet occurs {original.count(orig)} times"
    log = logdir / f"{m['id']}.log"
    log.unlink(missing_ok=True)
    try:
        path.write_bytes(original.replace(orig, repl))
        if not ninja(build, log, PRODUCTION_TARGETS):
            return "invalid", f"production build failed, see {log}"
        if compile_only:
            return "valid", ""
        if not ninja(build, log):
            return "killed", "(build of tests)"
        if name := failing_test(build, m["tests"], log, flaky):
            return "killed", name
        if name := failing_test(build, "", log, flaky):
            return "killed", name + " (whole suite)"
        return "survived", ""
    finally:
        path.write_bytes(original)


def dirty_production():
    out = subprocess.run(["git", "status", "--porcelain"], cwd=ROOT, capture_output=True,
                         text=True, check=True).stdout
    return [l for l in out.splitlines() if l[3:].startswith(PRODUCTION_DIRS)]


def compare(base, new):
    def load(p):
        return {r["id"]: r for r in map(json.loads, filter(str.strip, Path(p).read_text().splitlines()))}
    b, n = load(base), load(new)
    lost = [i for i, r in b.items() if r["status"] == "killed" and n.get(i, {}).get("status") != "killed"]
    for i in lost:
        got = n.get(i, {"status": "not run"})
        print(f"{i}: killed in base by {b[i]['test']}, now {got['status']} {got.get('test', '')}")
    print(f"{len(lost)} mutant(s) killed in {base} but not in {new}")
    return 1 if lost else 0


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build-dir", default="build")
    ap.add_argument("--list", default=str(ROOT / "scripts" / "mutants.txt"))
    ap.add_argument("--ids", help="comma-separated subset of mutant ids")
    ap.add_argument("--out", default="mutants.jsonl", help="results, one JSON object a line")
    ap.add_argument("--compile-only", action="store_true",
                    help="only check that each mutant applies and production code still builds")
    ap.add_argument("--compare", nargs=2, metavar=("BASE", "NEW"))
    args = ap.parse_args()
    if args.compare:
        return compare(*args.compare)

    mutants = parse_list(args.list)
    if args.ids:
        wanted = args.ids.split(",")
        unknown = set(wanted) - {m["id"] for m in mutants}
        if unknown:
            sys.exit(f"unknown ids: {', '.join(sorted(unknown))}")
        mutants = [m for m in mutants if m["id"] in wanted]
    dirty = dirty_production()
    if dirty:
        sys.exit("production files have changes; commit or stash them first:\n" + "\n".join(dirty))
    build = Path(args.build_dir).resolve()
    if not (build / "build.ninja").exists():
        sys.exit(f"{build} is not a configured build dir")
    logdir = build / "mutants-logs"
    logdir.mkdir(exist_ok=True)
    # A kill from outside unwinds like Ctrl-C, so the finally clauses restore the tree.
    signal.signal(signal.SIGTERM, signal.default_int_handler)
    if signal.getsignal(signal.SIGHUP) != signal.SIG_IGN:  # nohup asks for it to be ignored
        signal.signal(signal.SIGHUP, signal.default_int_handler)

    counts, start, code = {}, time.time(), 0
    with open(args.out, "w") as out:
        try:
            for m in mutants:
                t0 = time.time()
                flaky = []
                status, detail = try_mutant(m, build, logdir, args.compile_only, flaky)
                rec = {"id": m["id"], "file": m["file"], "status": status, "test": detail,
                       "seconds": round(time.time() - t0, 1)}
                if flaky:
                    rec["flaky"] = flaky
                out.write(json.dumps(rec) + "\n")
                out.flush()
                counts[status] = counts.get(status, 0) + 1
                print(f"{m['id']:34} {status:9} {rec['seconds']:7.1f}s  {detail}", flush=True)
        except KeyboardInterrupt:
            print("interrupted; the mutated file was put back", flush=True)
            code = 130
        finally:
            # Leave the build dir matching the restored tree.
            ninja(build, logdir / "restore.log", PRODUCTION_TARGETS if args.compile_only else ())
    summary = ", ".join(f"{k} {v}" for k, v in sorted(counts.items())) or "no mutant finished"
    print(f"{summary}; {time.time() - start:.0f}s in all")
    return code


if __name__ == "__main__":
    sys.exit(main())
