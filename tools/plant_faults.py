#!/usr/bin/env python3
"""Plants single faults in a scratch copy of the game and tells which ones the tests catch.

Each area's faults live in tools/faults/<area>.txt. The tree is copied once to a
scratch folder and built there (starting from a copy of build/ when there is
one); every fault then costs one incremental build of the area's test binary and
one run of the area's tests, after which the file is put back. A test that
fails, crashes or hangs past --timeout catches the fault.

    tools/plant_faults.py                     every area
    tools/plant_faults.py core levels         some areas
    tools/plant_faults.py core --only 3,7     some faults of one area (numbers as --list shows)
    tools/plant_faults.py --list              the faults, without building anything

A fault whose text is no longer found in its file is reported as "stale" and
needs re-pointing; one that does not compile is reported as "broken". Neither
counts as planted.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import time
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent
FAULT_DIR = Path(__file__).resolve().parent / "faults"
# Copied to the scratch folder: enough to configure and build the game and its tests.
TREE = ["CMakeLists.txt", "cmake", "src", "tests", "tools", "bench", "data", "scripts"]


class Fault:
    def __init__(self, description):
        self.description = description
        self.file = ""
        self.find = []
        self.repl = []


class Area:
    def __init__(self, name):
        self.name = name
        self.target = ""
        self.label = name
        self.faults = []


def read_area(path):
    """Lines are `keyword text`; `find` and `repl` may repeat for several lines."""
    area = Area(path.stem)
    fault = None
    for number, line in enumerate(path.read_text().splitlines(), 1):
        if not line.strip() or line.startswith("#"):
            continue
        keyword, _, text = line.partition(" ")
        if keyword == "fault":
            fault = Fault(text)
            area.faults.append(fault)
        elif keyword in ("target", "label") and fault is None:
            setattr(area, keyword, text)
        elif keyword in ("file", "find", "repl") and fault is not None:
            if keyword == "file":
                fault.file = text
            else:
                getattr(fault, keyword).append(text)
        else:
            sys.exit(f"{path}:{number}: unexpected line: {line}")
    if not area.target:
        sys.exit(f"{path}: no target")
    for f in area.faults:
        if not f.file or not f.find:
            sys.exit(f"{path}: fault without file or find: {f.description}")
    return area


def sync_tree(scratch):
    """Copies changed files only, so that the scratch build stays incremental."""
    for top in TREE:
        source = REPO / top
        if source.is_file():
            pairs = [(source, scratch / top)]
        elif source.is_dir():
            pairs = [(p, scratch / p.relative_to(REPO)) for p in source.rglob("*") if p.is_file()]
        else:
            continue
        for src, dst in pairs:
            if "__pycache__" in src.parts:
                continue
            if dst.is_file() and dst.read_bytes() == src.read_bytes():
                continue
            dst.parent.mkdir(parents=True, exist_ok=True)
            shutil.copy2(src, dst)


def run(cmd, cwd, timeout=None):
    try:
        p = subprocess.run(cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                           timeout=timeout)
        return p.returncode, p.stdout
    except subprocess.TimeoutExpired as e:
        out = e.stdout.decode(errors="replace") if isinstance(e.stdout, bytes) else (e.stdout or "")
        return None, out


def seed_build(scratch, seed):
    """Starts the scratch build from a copy of an existing build of this tree.

    Paths in the build's text files are re-pointed to the scratch folder and
    every file keeps its time stamp, so make rebuilds only what changed.
    """
    cache = seed / "CMakeCache.txt"
    if not cache.is_file() or f"CMAKE_HOME_DIRECTORY:INTERNAL={REPO}\n" not in cache.read_text():
        return
    print(f"starting from a copy of {seed}", flush=True)
    build = scratch / "build"
    shutil.copytree(seed, build, symlinks=True)
    old, new = str(REPO).encode(), str(scratch).encode()
    for path in build.rglob("*"):
        if path.is_symlink() or not path.is_file() or path.stat().st_size > 8 << 20:
            continue
        data = path.read_bytes()
        if b"\0" in data[:8192] or old not in data:
            continue
        stat = path.stat()
        path.write_bytes(data.replace(old, new))
        os.utime(path, ns=(stat.st_atime_ns, stat.st_mtime_ns))


def configure(scratch, seed):
    build = scratch / "build"
    if not (build / "CMakeCache.txt").is_file() and seed and not build.exists():
        seed_build(scratch, Path(seed))
    if (build / "CMakeCache.txt").is_file():
        return build
    cmd = ["cmake", "-S", str(scratch), "-B", str(build), "-DCMAKE_BUILD_TYPE=RelWithDebInfo"]
    if shutil.which("ccache"):
        cmd += ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache", "-DCMAKE_C_COMPILER_LAUNCHER=ccache"]
    rc, out = run(cmd, scratch)
    if rc != 0:
        sys.exit("configure failed:\n" + out)
    return build


def build_target(build, target, jobs):
    rc, out = run(["cmake", "--build", str(build), "--target", target, f"-j{jobs}"], build)
    return rc == 0, out


def run_tests(build, area, timeout, jobs):
    """Returns (passed, first failing test or reason)."""
    cmd = ["ctest", "-L", area.label, "--stop-on-failure", f"-j{jobs}", "--timeout", str(timeout)]
    rc, out = run(cmd, build, timeout=timeout * 4)
    if rc is None:
        return False, "hung"
    if rc == 0:
        return True, ""
    failed = re.search(r"Test +#\d+: (\S+) \.*\**(Failed|Exception|Timeout|Not Run)", out)
    return False, failed.group(1) if failed else f"ctest exit {rc}"


def plant(scratch, fault):
    """Applies the fault; returns the original text, or None when its text is not there exactly once."""
    path = scratch / fault.file
    if not path.is_file():
        return None
    original = path.read_text()
    find = "\n".join(fault.find)
    if original.count(find) != 1:
        return None
    path.write_text(original.replace(find, "\n".join(fault.repl)))
    return original


def restore(scratch, fault, original):
    # Written anew, so that make sees a newer file and rebuilds the original.
    (scratch / fault.file).write_text(original)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("areas", nargs="*", help="areas to run (default: all)")
    parser.add_argument("--only", help="comma-separated fault numbers within the area")
    parser.add_argument("--list", action="store_true", help="list the faults and exit")
    parser.add_argument("--scratch", default=f"/tmp/faults-{os.getuid()}-{REPO.name}",
                        help="scratch folder, reused between runs (default: %(default)s)")
    parser.add_argument("--seed", default=str(REPO / "build"),
                        help="existing build of this tree to start the scratch build from ('' for none)")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--timeout", type=int, default=240, help="seconds for one test")
    args = parser.parse_args()

    names = args.areas or sorted(p.stem for p in FAULT_DIR.glob("*.txt"))
    areas = []
    for name in names:
        path = FAULT_DIR / f"{name}.txt"
        if not path.is_file():
            sys.exit(f"no fault list {path}")
        areas.append(read_area(path))
    only = {int(n) for n in args.only.split(",")} if args.only else None

    if args.list:
        for area in areas:
            for i, f in enumerate(area.faults, 1):
                print(f"{area.name:8} {i:3}  {f.file}: {f.description}")
        return 0

    scratch = Path(args.scratch)
    scratch.mkdir(parents=True, exist_ok=True)
    os.environ.setdefault("CCACHE_BASEDIR", str(scratch))
    sync_tree(scratch)
    build = configure(scratch, args.seed)

    totals = []
    for area in areas:
        ok, out = build_target(build, area.target, args.jobs)
        if not ok:
            sys.exit(f"{area.name}: {area.target} does not build without faults:\n{out[-3000:]}")
        passed, why = run_tests(build, area, args.timeout, args.jobs)
        if not passed:
            sys.exit(f"{area.name}: the tests fail without faults ({why})")

        planted, caught, missed, skipped = 0, 0, [], []
        for i, fault in enumerate(area.faults, 1):
            if only and i not in only:
                continue
            start = time.time()
            original = plant(scratch, fault)
            if original is None:
                verdict = "stale"
                skipped.append((i, fault, verdict))
            else:
                try:
                    ok, _ = build_target(build, area.target, args.jobs)
                    if not ok:
                        verdict = "broken"
                        skipped.append((i, fault, verdict))
                    else:
                        passed, why = run_tests(build, area, args.timeout, args.jobs)
                        planted += 1
                        if passed:
                            verdict = "MISSED"
                            missed.append((i, fault))
                        else:
                            verdict = "caught"
                            caught += 1
                finally:
                    restore(scratch, fault, original)
            by = f"  by {why}" if verdict == "caught" else ""
            print(f"{area.name:8} {i:3}  {verdict:7} {fault.description}  [{time.time() - start:.0f}s]{by}",
                  flush=True)
        totals.append((area, planted, caught, missed, skipped))

    print()
    for area, planted, caught, missed, skipped in totals:
        extra = f", {len(skipped)} not planted (stale or broken)" if skipped else ""
        print(f"{area.name}: {caught} of {planted} caught{extra}")
        for i, fault in missed:
            print(f"    missed {i}: {fault.description}")
        for i, fault, verdict in skipped:
            print(f"    {verdict} {i}: {fault.description}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
