#!/usr/bin/env python3
"""Plants each fault of faults.txt in turn in a scratch copy of the tree,
rebuilds it, runs the suite, and reports which faults some test caught.

The scratch copy is made once and kept (--scratch, /tmp/ocg-faults by
default): a later run copies only the files that changed, so that the build
after each fault recompiles one or two files. A fault counts as caught when a
test that passes on the unplanted tree fails with it, and fails again when run
alone (a flaky test does not catch anything).

  tests/faults/run_faults.py                  # quick mode: no PostgreSQL
  tests/faults/run_faults.py --engines all    # every engine
  tests/faults/run_faults.py --only F03,F17   # some faults
"""

import argparse
import json
import os
import shutil
import subprocess
import sys
import time
import xml.etree.ElementTree as ET
from pathlib import Path

HERE = Path(__file__).resolve().parent
ROOT = HERE.parent.parent


class Fault:
    def __init__(self, ident, title):
        self.ident, self.title = ident, title
        self.file, self.engines = "", ""
        self.search, self.replace = [], []

    @property
    def folder(self):
        parts = Path(self.file).parts
        return "/".join(parts[1:3]) if parts[1] in ("embedded", "odbc") and len(parts) > 3 \
            else parts[1]


def read_faults(path):
    """[ID] title, then file:, optional engines:, and "- " / "+ " lines."""
    faults = []
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        if line.startswith("#") or not line.strip():
            continue
        if line.startswith("["):
            ident, _, title = line[1:].partition("] ")
            faults.append(Fault(ident, title))
        elif line.startswith("file: "):
            faults[-1].file = line[6:].strip()
        elif line.startswith("engines: "):
            faults[-1].engines = line[9:].strip()
        elif line[:2] in ("- ", "+ ") or line in ("-", "+"):
            (faults[-1].search if line[0] == "-" else faults[-1].replace).append(line[2:])
        else:
            sys.exit(f"{path}:{number}: cannot read: {line}")
    for f in faults:
        if not f.file or not f.search:
            sys.exit(f"fault {f.ident} needs a file and a '- ' line")
    return faults


def run(cmd, cwd=None, env=None, timeout=None, log=None):
    """Runs cmd in a process group of its own, killed whole on timeout."""
    out = open(log, "w") if log else subprocess.DEVNULL
    proc = subprocess.Popen(cmd, cwd=cwd, env=env, stdout=out, stderr=subprocess.STDOUT,
                            start_new_session=True)
    try:
        return proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, 9)
        proc.wait()
        return -9
    finally:
        if log:
            out.close()


def source_tree(scratch, rev):
    """The tree to plant in: the working tree, or the commit rev unpacked."""
    if not rev:
        return ROOT
    tree = scratch / "rev"
    shutil.rmtree(tree, ignore_errors=True)
    tree.mkdir(parents=True)
    archive = subprocess.run(["git", "archive", rev], cwd=ROOT, check=True,
                             capture_output=True).stdout
    subprocess.run(["tar", "-x", "-C", str(tree)], input=archive, check=True)
    return tree


def sync_tree(scratch, tree):
    """Copies the tree's files (tracked, or untracked and not ignored) into
    scratch/src, only where they differ, and drops files no longer there."""
    if tree == ROOT:
        listed = subprocess.run(["git", "ls-files", "-z", "-co", "--exclude-standard"], cwd=ROOT,
                                check=True, capture_output=True).stdout.decode().split("\0")
    else:
        listed = [p.relative_to(tree).as_posix() for p in tree.rglob("*")]
    wanted = {p for p in listed if p and (tree / p).is_file()}
    src = scratch / "src"
    for rel in wanted:
        a, b = tree / rel, src / rel
        data = a.read_bytes()
        if not b.exists() or b.read_bytes() != data:
            b.parent.mkdir(parents=True, exist_ok=True)
            b.write_bytes(data)
            shutil.copymode(a, b)
    for b in list(src.rglob("*")):
        rel = b.relative_to(src).as_posix()
        if b.is_file() and not b.is_symlink() and rel not in wanted \
                and "node_modules" not in b.parts:
            b.unlink()
    # The browser tests load axe-core from the tree's node_modules.
    modules = ROOT / "tests/server/node_modules"
    link = src / "tests/server/node_modules"
    if modules.exists() and not link.exists():
        link.symlink_to(modules)
    return src


def build(src, build_dir, jobs, log):
    if not (build_dir / "build.ninja").exists():
        code = run(["cmake", "-S", str(src), "-B", str(build_dir), "-G", "Ninja",
                    "-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DOCG_BUILD_BENCH=OFF"], log=log)
        if code != 0:
            return False
    return run(["nice", "cmake", "--build", str(build_dir), "-j", str(jobs), "--target", "ocg",
                "ocg_tests"], log=log) == 0


def suite_env(engines):
    env = dict(os.environ)
    env.pop("OCG_TEST_ENGINES", None)
    if engines == "embedded":
        env["OCG_TEST_ENGINES"] = "embedded"
    return env


def failing_tests(build_dir, jobs, engines, timeout, junit, again=False):
    """The names of the tests that failed (a test that timed out fails); with
    again, of those that failed last time, run once more."""
    if junit.exists():
        junit.unlink()
    cmd = ["nice", "ctest", "--test-dir", str(build_dir), "-j", str(jobs), "--timeout", "240",
           "--output-junit", str(junit)]
    if again:
        cmd.append("--rerun-failed")
    code = run(cmd, env=suite_env(engines), timeout=timeout, log=str(junit) + ".log")
    if not junit.exists():
        return {"(the suite did not finish)"} if code != 0 else set()
    failed = set()
    for case in ET.parse(junit).getroot().iter("testcase"):
        if case.get("status") == "fail" or case.find("failure") is not None:
            failed.add(case.get("name"))
    return failed


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--faults", default=str(HERE / "faults.txt"))
    parser.add_argument("--scratch", default="/tmp/ocg-faults")
    parser.add_argument("--engines", choices=["embedded", "all"], default="embedded",
                        help="embedded: OCG_TEST_ENGINES=embedded, except for the faults "
                             "marked 'engines: all'; all: every engine for every fault")
    parser.add_argument("--only", default="", help="comma-separated fault ids")
    parser.add_argument("--rev", default="",
                        help="plant in this commit's tree instead of the working tree (the "
                             "faults stay those of faults.txt here)")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--timeout", type=int, default=1800, help="seconds a suite run may take")
    parser.add_argument("--report", default="", help="also write the report to this file")
    parser.add_argument("--catchers", default="",
                        help="write every fault's catching tests to this file as JSON")
    parser.add_argument("--check", action="store_true",
                        help="only check that every fault's text stands once in its file")
    args = parser.parse_args()

    faults = read_faults(Path(args.faults))
    if args.only:
        chosen = set(args.only.split(","))
        faults = [f for f in faults if f.ident in chosen]
    scratch = Path(args.scratch)
    scratch.mkdir(parents=True, exist_ok=True)
    tree = source_tree(scratch, args.rev)
    # Every fault's text must stand exactly once in its file.
    for f in faults:
        n = (tree / f.file).read_text(encoding="utf-8").count("\n".join(f.search))
        if n != 1:
            sys.exit(f"{f.ident}: the '- ' text stands {n} times in {f.file}")
    if args.check:
        folders = sorted({f.folder for f in faults})
        print(f"{len(faults)} faults in {len(folders)} folders: {', '.join(folders)}")
        return 0
    src, build_dir = sync_tree(scratch, tree), scratch / "build"
    junit, log = scratch / "junit.xml", str(scratch / "build.log")

    print(f"building {src} ...", flush=True)
    if not build(src, build_dir, args.jobs, log):
        sys.exit(f"the unplanted tree does not build: {log}")
    modes = {args.engines} | {"all" for f in faults if f.engines == "all"}
    baseline = {}
    for mode in sorted(modes):
        start = time.time()
        baseline[mode] = failing_tests(build_dir, args.jobs, mode, args.timeout, junit)
        print(f"unplanted suite ({mode}): {len(baseline[mode])} failing "
              f"{sorted(baseline[mode])} in {time.time() - start:.0f} s", flush=True)

    rows, caught, catchers_of = [], 0, {}
    for f in faults:
        path = src / f.file
        original = path.read_text(encoding="utf-8")
        mode = "all" if f.engines == "all" else args.engines
        start = time.time()
        try:
            path.write_text(original.replace("\n".join(f.search), "\n".join(f.replace), 1),
                            encoding="utf-8")
            if not build(src, build_dir, args.jobs, log):
                result, catchers = "does not build", []
            else:
                failed = failing_tests(build_dir, args.jobs, mode, args.timeout, junit)
                new = sorted(failed - baseline[mode])
                if new and "(the suite did not finish)" not in new:
                    # Run alone, the catching tests must fail again.
                    new = sorted(failing_tests(build_dir, args.jobs, mode, args.timeout, junit,
                                               again=True) & set(new))
                result, catchers = ("caught" if new else "missed"), new
        finally:
            path.write_text(original, encoding="utf-8")
        caught += result == "caught"
        catchers_of[f.ident] = catchers
        shown = ", ".join(catchers[:4]) + (f" (+{len(catchers) - 4})" if len(catchers) > 4 else "")
        rows.append(f"| {f.ident} | {f.folder} | {f.title} | {mode} | {result} | {shown} |")
        print(f"{f.ident} {result:7} {time.time() - start:5.0f} s  {f.title}  {shown}",
              flush=True)
    build(src, build_dir, args.jobs, log)  # the scratch build unplanted again

    report = [f"caught {caught} / planted {len(faults)} "
              f"(engines: {args.engines}; faults marked 'engines: all' with PostgreSQL; "
              f"tree: {args.rev or 'working tree'})", "",
              "| fault | folder | what | engines | result | caught by |",
              "| --- | --- | --- | --- | --- | --- |"] + rows
    print("\n".join(report))
    if args.report:
        Path(args.report).write_text("\n".join(report) + "\n", encoding="utf-8")
    if args.catchers:
        Path(args.catchers).write_text(json.dumps(catchers_of, indent=1) + "\n", encoding="utf-8")
    return 0 if caught == len(faults) else 1


if __name__ == "__main__":
    sys.exit(main())
