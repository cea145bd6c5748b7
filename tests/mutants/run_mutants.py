#!/usr/bin/env python3
"""Injects the faults of faults.txt one at a time and reports which tests catch each.

The tree is copied once to a scratch directory (outside the repository), configured and
built; then for each fault the snippet is replaced, the copy rebuilt incrementally, ctest
run, the failing tests recorded (or SURVIVED) and the file restored. The repository itself
is never changed. Run through `make mutants` (all faults) or `make mutants MUTANTS=id1,id2`.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
KEYS = ("id", "file", "breaks", "find", "replace")


class Fault:
    def __init__(self, fields, line):
        missing = [k for k in KEYS if k not in fields]
        if missing:
            sys.exit(f"faults.txt:{line}: missing {', '.join(missing)}")
        self.line = line
        for k in KEYS:
            setattr(self, k, fields[k])


def read_faults(path):
    """Records of "key: value" lines separated by blank lines; "|" lines continue a value."""
    faults, fields, key, start = [], {}, None, 0
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    for number, text in enumerate(lines + [""], 1):
        if text.startswith("#"):
            continue
        if not text.strip():
            if fields:
                faults.append(Fault(fields, start))
            fields, key = {}, None
            continue
        if text.startswith("|"):
            if key is None:
                sys.exit(f"faults.txt:{number}: continuation without a key")
            fields[key] += "\n" + text[2:] if text.startswith("| ") else "\n" + text[1:]
            continue
        key, sep, value = text.partition(":")
        if not sep or key not in KEYS:
            sys.exit(f"faults.txt:{number}: expected one of {', '.join(KEYS)}")
        if not fields:
            start = number
        fields[key] = value[1:] if value.startswith(" ") else value
    ids = [f.id for f in faults]
    repeated = {i for i in ids if ids.count(i) > 1}
    if repeated:
        sys.exit(f"faults.txt: repeated ids {', '.join(sorted(repeated))}")
    return faults


def check_snippet(fault, root):
    path = os.path.join(root, fault.file)
    if not os.path.isfile(path):
        return f"{fault.id}: no file {fault.file}"
    with open(path, encoding="utf-8") as f:
        count = f.read().count(fault.find)
    if count != 1:
        return f"{fault.id}: the snippet occurs {count} times in {fault.file} (faults.txt:{fault.line})"
    return None


def source_files():
    out = subprocess.run(["git", "ls-files", "-co", "--exclude-standard", "-z"], cwd=ROOT,
                         check=True, capture_output=True, text=True).stdout
    return [p for p in out.split("\0") if p and os.path.isfile(os.path.join(ROOT, p))]


def sync_tree(dest):
    """Copies changed files only, so that a kept work directory rebuilds incrementally."""
    wanted = set(source_files())
    for rel in wanted:
        src, dst = os.path.join(ROOT, rel), os.path.join(dest, rel)
        if os.path.isfile(dst):
            with open(src, "rb") as a, open(dst, "rb") as b:
                if a.read() == b.read():
                    continue
        os.makedirs(os.path.dirname(dst), exist_ok=True)
        shutil.copyfile(src, dst)
    for folder, _, names in os.walk(dest):
        for name in names:
            rel = os.path.relpath(os.path.join(folder, name), dest)
            if rel not in wanted:
                os.remove(os.path.join(dest, rel))


def run(cmd, log):
    with open(log, "w") as out:
        return subprocess.run(cmd, stdout=out, stderr=subprocess.STDOUT).returncode


def failing_tests(build, jobs, timeout, log):
    failed_log = os.path.join(build, "Testing", "Temporary", "LastTestsFailed.log")
    if os.path.exists(failed_log):
        os.remove(failed_log)
    run(["ctest", "--test-dir", build, "-j", str(jobs), "--timeout", str(timeout)], log)
    if not os.path.exists(failed_log):
        return []
    with open(failed_log) as f:
        # "12:Suite.Test  # GetParam() = ..." -> "Suite.Test"
        return [line.split(":", 1)[1].split("  #")[0].strip() for line in f if ":" in line]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--only", default="", help="comma-separated fault ids")
    parser.add_argument("--jobs", type=int, default=4)
    parser.add_argument("--timeout", type=int, default=300, help="seconds per test")
    parser.add_argument("--workdir", help="kept scratch directory (reused when present)")
    parser.add_argument("--record", help="also write the results to this file")
    parser.add_argument("--check", action="store_true", help="only check the snippets")
    args = parser.parse_args()

    faults = read_faults(os.path.join(HERE, "faults.txt"))
    if args.only:
        wanted = [i for i in args.only.split(",") if i]
        unknown = [i for i in wanted if i not in {f.id for f in faults}]
        if unknown:
            sys.exit(f"unknown fault ids: {', '.join(unknown)}")
        faults = [f for f in faults if f.id in wanted]
    problems = [p for p in (check_snippet(f, ROOT) for f in faults) if p]
    if problems:
        sys.exit("\n".join(problems))
    if args.check:
        print(f"{len(faults)} faults, every snippet found once")
        return 0

    work = args.workdir or tempfile.mkdtemp(prefix="tesra-mutants-")
    src, build = os.path.join(work, "src"), os.path.join(work, "build")
    os.makedirs(src, exist_ok=True)
    log = os.path.join(work, "step.log")
    print(f"scratch copy in {work}", flush=True)
    try:
        sync_tree(src)
        if not os.path.exists(os.path.join(build, "CMakeCache.txt")):
            if run(["cmake", "-S", src, "-B", build, "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                    "-DTESRA_BENCH=OFF"], log):
                sys.exit(f"configure failed, see {log}")
        if run(["cmake", "--build", build, "-j", str(args.jobs)], log):
            sys.exit(f"the unchanged tree does not build, see {log}")
        failed = failing_tests(build, args.jobs, args.timeout, log)
        if failed:
            sys.exit("the unchanged tree fails: " + ", ".join(failed))

        results = []
        for n, fault in enumerate(faults, 1):
            path = os.path.join(src, fault.file)
            with open(path, encoding="utf-8") as f:
                original = f.read()
            started = time.time()
            try:
                with open(path, "w", encoding="utf-8") as f:
                    f.write(original.replace(fault.find, fault.replace, 1))
                if run(["cmake", "--build", build, "-j", str(args.jobs)], log):
                    caught = None
                else:
                    caught = failing_tests(build, args.jobs, args.timeout, log)
            finally:
                with open(path, "w", encoding="utf-8") as f:
                    f.write(original)
            results.append((fault, caught))
            verdict = ("BUILD FAILED" if caught is None else
                       f"caught by {len(caught)}" if caught else "SURVIVED")
            print(f"[{n}/{len(faults)}] {fault.id}: {verdict} ({time.time() - started:.0f}s)",
                  flush=True)
    finally:
        if not args.workdir:
            shutil.rmtree(work, ignore_errors=True)

    lines = [f"{'fault':28} {'caught':>6}  tests"]
    for fault, caught in results:
        if caught is None:
            lines.append(f"{fault.id:28} {'-':>6}  BUILD FAILED")
        elif not caught:
            lines.append(f"{fault.id:28} {0:>6}  SURVIVED ({fault.breaks})")
        else:
            lines.append(f"{fault.id:28} {len(caught):>6}  " + ", ".join(sorted(caught)))
    survived = sum(1 for _, c in results if not c)
    lines.append(f"{len(results) - survived} of {len(results)} faults caught")
    print("\n".join(lines))
    if args.record:
        with open(args.record, "w") as f:
            f.write("\n".join(lines) + "\n")
    return 1 if survived else 0


if __name__ == "__main__":
    sys.exit(main())
