#!/usr/bin/env python3
"""Mutation run: plants single faults in the code one at a time and reports which ones the tests catch.

Usage (from anywhere in the repository):

    python3 scripts/mutants.py                  # every mutant of scripts/mutants.txt, 4 at a time
    python3 scripts/mutants.py -j 6             # six workers (six tree copies, one build job each)
    python3 scripts/mutants.py --only tb-       # mutants whose id contains "tb-"
    python3 scripts/mutants.py --list           # which mutants apply to this tree, nothing built
    python3 scripts/mutants.py --work /tmp/mut  # where the tree copies live (default: build-mutants/)

Each mutant in the data file names a file, an exact snippet of it and its replacement. The snippet
is found by its text, not by a line number, so the mutants survive unrelated edits; a mutant whose
snippet is missing (or appears more than once) is reported as "skipped".

How it works: every worker keeps its own copy of the tree with its own build folder
(<work>/w0, <work>/w1, ...; the copies are refreshed from the working tree at each run, which
also repairs a copy that an interrupted run left mutated, and reuse ccache when CCACHE_DIR is
set). A baseline run of every test program in the first copy records
which tests already fail (those are left out afterwards) and how long each program takes. Then
each worker takes the next mutant: it writes the mutated file into its copy, rebuilds only the
test programs that contain the file (found from the build graph), runs them (in the environment
ctest gives their tests, such as a locale, stopping at the first failure, with a time limit per
program), and writes the original file back. A mutant is "killed"
when a test fails or a program crashes or times out, and does so again when the program runs a
second time (a failure that does not repeat is listed apart and not counted); "survived" when
every test passes; "invalid" when the mutated code does not compile. The output of each killing
run is kept in <work>/logs/<id>.log.

The report (printed and written to <work>/report.txt) lists every mutant and the kill rate by kind
and by area. Exit status: 0 when the run finished, 1 on a setup error.

Data file format (scripts/mutants.txt): a block per mutant,

    === <id> | <kind> | <area> | <path relative to the repository>
    <original snippet, one or more lines>
    >>>
    <replacement, zero or more lines>

Lines before the first "===" are comments, and so is any line that starts with "# " (or is a
lone "#") wherever it stands, so each batch can carry its own header; a snippet line never starts
that way (a preprocessor line has no space after the "#"). Trailing empty lines of a snippet are dropped;
leading indentation is part of the snippet.

Re-targeted mutants: when code moves, its mutants follow it and plant the same fault in its new
home, keeping their id, kind and area (so a run before and after the move compares like with
like). Re-targeted so far: ho6-panel-roll-one-second-obo, ho8-timebase-clamp-target-obo.
"""

import argparse
import collections
import json
import os
import queue
import shutil
import signal
import subprocess
import sys
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_DATA = os.path.join(ROOT, "scripts", "mutants.txt")
# Tests that measure time or load rather than outcomes: a busy machine fails them by itself.
DEFAULT_EXCLUDE = ["*UsesLittleProcessorTime*"]


class Mutant:
    def __init__(self, mid, kind, area, path, old, new):
        self.id, self.kind, self.area, self.path, self.old, self.new = mid, kind, area, path, old, new
        self.status = None  # skipped / killed / survived / invalid
        self.detail = ""
        self.seconds = 0.0


def parse_data(path):
    mutants, cur, part = [], None, None
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    for line in lines:
        if line.startswith("=== "):
            if cur:
                mutants.append(cur)
            fields = [x.strip() for x in line[4:].split("|")]
            if len(fields) != 4:
                raise SystemExit(f"bad header: {line}")
            cur = {"head": fields, "old": [], "new": []}
            part = "old"
        elif cur is None or line == "#" or line.startswith("# "):
            continue
        elif line == ">>>" and part == "old":
            part = "new"
        else:
            cur[part].append(line)
    if cur:
        mutants.append(cur)
    out, seen = [], set()
    for m in mutants:
        mid, kind, area, rel = m["head"]
        if mid in seen:
            raise SystemExit(f"duplicate mutant id {mid}")
        seen.add(mid)
        for key in ("old", "new"):
            while m[key] and m[key][-1].strip() == "":
                m[key].pop()
        out.append(Mutant(mid, kind, area, rel, "\n".join(m["old"]), "\n".join(m["new"])))
    return out


def run(cmd, cwd=None, env=None, timeout=None):
    """Runs a command, returns (returncode, output); a timeout gives returncode None."""
    try:
        p = subprocess.Popen(cmd, cwd=cwd, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                             start_new_session=True)
    except OSError as e:
        return 127, str(e)
    try:
        out, _ = p.communicate(timeout=timeout)
        return p.returncode, out.decode("utf-8", "replace")
    except subprocess.TimeoutExpired:
        os.killpg(p.pid, signal.SIGKILL)
        out, _ = p.communicate()
        return None, out.decode("utf-8", "replace")


def tree_files():
    rc, out = run(["git", "ls-files", "-co", "--exclude-standard", "-z"], cwd=ROOT)
    if rc != 0:
        raise SystemExit("git ls-files failed: " + out)
    return [f for f in out.split("\0") if f and not f.startswith("build")]


def same_content(a, b):
    try:
        if os.path.getsize(a) != os.path.getsize(b):
            return False
        with open(a, "rb") as fa, open(b, "rb") as fb:
            return fa.read() == fb.read()
    except OSError:
        return False


def sync_copy(files, dest):
    """Makes `dest` a copy of the working tree. A file whose content is already the same is left
    alone, so the copy's build only redoes what changed; a file that differs (changed in the tree,
    or left mutated by an interrupted run) is written anew with the current time, never with an
    older one, so the build cannot take a stale object for up to date."""
    os.makedirs(dest, exist_ok=True)
    manifest = os.path.join(dest, ".mutants-manifest")
    old = set()
    if os.path.exists(manifest):
        with open(manifest) as f:
            old = set(f.read().split("\n")) - {""}
    for rel in files:
        src, dst = os.path.join(ROOT, rel), os.path.join(dest, rel)
        if not os.path.isfile(src) or same_content(src, dst):
            continue
        os.makedirs(os.path.dirname(dst), exist_ok=True)
        shutil.copyfile(src, dst)
        shutil.copymode(src, dst)
    for rel in old - set(files):
        try:
            os.remove(os.path.join(dest, rel))
        except FileNotFoundError:
            pass
    with open(manifest, "w") as f:
        f.write("\n".join(files))


def configure(dest):
    build = os.path.join(dest, "build")
    if os.path.exists(os.path.join(build, "build.ninja")):
        return
    cmd = ["cmake", "-S", dest, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
           "-DKELVANE_BENCH=OFF", "-DKELVANE_FUZZ=OFF", "-DKELVANE_TESTS=ON"]
    if shutil.which("ccache"):
        cmd += ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache", "-DCMAKE_C_COMPILER_LAUNCHER=ccache"]
    rc, out = run(cmd)
    if rc != 0:
        raise SystemExit(f"configure of {dest} failed:\n{out[-3000:]}")


def test_programs(build):
    """Test programs of a build: the executables under tests/ whose name ends in 'tests'."""
    rc, out = run(["ninja", "-C", build, "-t", "targets", "all"])
    progs = []
    for line in out.split("\n"):
        name = line.split(":")[0].strip()
        if name.startswith("tests/") and name.endswith("tests") and "/CMakeFiles/" not in name:
            progs.append(name)
    return sorted(set(progs))


def dependency_map(build, progs, dest):
    """Source file (relative to the tree) -> test programs that contain it, headers included."""
    prog_inputs = {}
    for p in progs:
        rc, out = run(["ninja", "-C", build, "-t", "inputs", p])
        prog_inputs[p] = set(x.strip() for x in out.split("\n") if x.strip())
    rc, out = run(["ninja", "-C", build, "-t", "deps"])
    obj_deps, cur = collections.defaultdict(set), None
    for line in out.split("\n"):
        if line and not line.startswith(" "):
            cur = line.split(":")[0].strip()
        elif line.strip() and cur:
            obj_deps[cur].add(line.strip())
    files = collections.defaultdict(set)

    def rel(path):
        # A layer's headers are reached through its include root in the build folder, a link to
        # the layer's sources: the real path names the file of the tree.
        path = os.path.realpath(os.path.join(build, path))
        return os.path.relpath(path, os.path.realpath(dest))

    for p, inputs in prog_inputs.items():
        for i in inputs:
            files[rel(i)].add(p)
            for dep in obj_deps.get(i, ()):
                files[rel(dep)].add(p)
    return files


def gtest_failures(output):
    failed = []
    for line in output.split("\n"):
        if line.startswith("[  FAILED  ] ") and "listed below" not in line:
            name = line[13:].split(" ")[0].rstrip(",")
            if name and not name[0].isdigit() and name not in failed:
                failed.append(name)
    return failed


def program_environments(build, env):
    """Test program (relative to the build) -> the environment ctest runs its tests in: the base
    environment with each test's ENVIRONMENT and the set/unset entries of its
    ENVIRONMENT_MODIFICATION applied (a program whose tests need a locale or a simulator gets it
    here as it does under ctest)."""
    rc, out = run(["ctest", "--show-only=json-v1"], cwd=build)
    if rc != 0:
        raise SystemExit(f"ctest cannot list the tests of {build}:\n{out[-3000:]}")
    envs = {}
    for t in json.loads(out[out.index("{"):]).get("tests", []):
        cmd = t.get("command") or []
        if not cmd:
            continue
        prog = os.path.relpath(cmd[0], build)
        if prog in envs:
            continue
        e = dict(env)
        props = {x["name"]: x["value"] for x in t.get("properties", [])}
        for item in props.get("ENVIRONMENT", []):
            key, _, value = item.partition("=")
            e[key] = value
        for item in props.get("ENVIRONMENT_MODIFICATION", []):
            key, _, op = item.partition("=")
            how, _, value = op.partition(":")
            if how == "set":
                e[key] = value
            elif how == "unset":
                e.pop(key, None)
        envs[prog] = e
    return envs


class Worker:
    def __init__(self, index, dest, args, env):
        self.index, self.dest, self.args, self.env = index, dest, args, env
        self.build = os.path.join(dest, "build")
        self.envs = {}

    def build_targets(self, targets, jobs):
        return run(["ninja", "-C", self.build, f"-j{jobs}"] + list(targets), env=self.env)

    def run_program(self, prog, timeout, exclude):
        cmd = [os.path.join(self.build, prog), "--gtest_brief=1", "--gtest_fail_fast"]
        if exclude:
            cmd.append("--gtest_filter=-" + ":".join(exclude))
        return run(cmd, cwd=os.path.dirname(cmd[0]), env=self.envs.get(prog, self.env), timeout=timeout)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("-j", "--jobs", type=int, default=4, help="workers (tree copies), default 4")
    ap.add_argument("--build-jobs", type=int, default=1, help="ninja jobs per worker for a mutant")
    ap.add_argument("--setup-jobs", type=int, default=4, help="ninja jobs for the first build of a copy")
    ap.add_argument("--work", default=os.path.join(ROOT, "build-mutants"), help="folder of the tree copies")
    ap.add_argument("--data", default=DEFAULT_DATA)
    ap.add_argument("--only", action="append", default=[], help="run mutants whose id contains this")
    ap.add_argument("--list", action="store_true", help="list the mutants and whether they apply")
    ap.add_argument("--exclude", action="append", default=list(DEFAULT_EXCLUDE),
                    help="gtest name pattern left out of every run")
    args = ap.parse_args()
    # The workers change into their tree copies, so a relative folder is taken from here, once.
    args.work = os.path.abspath(args.work)

    mutants = parse_data(args.data)
    if args.only:
        mutants = [m for m in mutants if any(o in m.id for o in args.only)]
    originals = {}
    for m in mutants:
        path = os.path.join(ROOT, m.path)
        if m.path not in originals:
            try:
                with open(path, encoding="utf-8") as f:
                    originals[m.path] = f.read()
            except OSError:
                originals[m.path] = None
        text = originals[m.path]
        if text is None:
            m.status, m.detail = "skipped", "file missing"
        elif text.count(m.old) != 1:
            m.status, m.detail = "skipped", ("snippet missing" if m.old not in text else "snippet not unique")
    if args.list:
        for m in mutants:
            print(f"{m.id:40} {m.kind:8} {m.area:14} {m.path:45} {m.status or 'applies'} {m.detail}")
        return 0
    todo = [m for m in mutants if m.status is None]

    env = dict(os.environ)
    env.setdefault("QT_QPA_PLATFORM", "offscreen")
    env["ASAN_OPTIONS"] = "detect_leaks=0"
    if "CCACHE_DIR" in env:
        # The copies sit at the same depth as the tree's own build, so relative paths match.
        env.setdefault("CCACHE_BASEDIR", os.path.dirname(ROOT))
        env.setdefault("CCACHE_NOHASHDIR", "1")

    start = time.time()
    files = tree_files()
    workers = []
    for i in range(max(1, args.jobs)):
        dest = os.path.join(args.work, f"w{i}")
        print(f"preparing {dest}", flush=True)
        sync_copy(files, dest)
        configure(dest)
        w = Worker(i, dest, args, env)
        progs = test_programs(w.build)
        rc, out = w.build_targets(progs, args.setup_jobs)
        if rc != 0:
            raise SystemExit(f"the unmutated tree does not build in {dest}:\n{out[-3000:]}")
        w.envs = program_environments(w.build, env)
        workers.append(w)
    progs = test_programs(workers[0].build)
    deps = dependency_map(workers[0].build, progs, workers[0].dest)

    # Baseline: every program once; tests that fail already are left out of the mutant runs.
    exclude = list(args.exclude)
    durations = {}
    for p in progs:
        t0 = time.time()
        rc, out = workers[0].run_program(p, 900, exclude)
        durations[p] = time.time() - t0
        if rc != 0:
            failed = gtest_failures(out)
            if not failed:
                raise SystemExit(f"baseline run of {p} fails without a test name:\n{out[-3000:]}")
            print(f"baseline: {p} fails {failed}; left out", flush=True)
            exclude += failed
    print(f"baseline done in {time.time() - start:.0f} s", flush=True)

    q = queue.Queue()
    for m in todo:
        q.put(m)
    lock = threading.Lock()
    done = [0]
    flaky = []
    logs = os.path.join(args.work, "logs")
    os.makedirs(logs, exist_ok=True)

    def work(w):
        while True:
            try:
                m = q.get_nowait()
            except queue.Empty:
                return
            t0 = time.time()
            path = os.path.join(w.dest, m.path)
            with open(path, encoding="utf-8") as f:
                original = f.read()
            try:
                if original.count(m.old) != 1:
                    m.status, m.detail = "skipped", "snippet missing in the copy"
                    continue
                with open(path, "w", encoding="utf-8") as f:
                    f.write(original.replace(m.old, m.new, 1))
                affected = sorted(deps.get(m.path, ()), key=lambda p: durations.get(p, 0))
                if not affected:
                    m.status, m.detail = "skipped", "no test program contains the file"
                    continue
                rc, out = w.build_targets(affected, args.build_jobs)
                if rc != 0:
                    m.status = "invalid"
                    m.detail = next((l for l in out.split("\n") if "error" in l), "build failed")[:160]
                    continue
                m.status, m.detail = "survived", ""
                for p in affected:
                    timeout = max(60.0, 10 * durations.get(p, 10))
                    rc, out = w.run_program(p, timeout, exclude)
                    if rc is not None and rc != 0:
                        # A failure is confirmed by a second run of the whole program, so that a
                        # test upset by a busy machine does not count as a kill.
                        rc2, out2 = w.run_program(p, timeout, exclude)
                        if rc2 == 0:
                            with lock:
                                flaky.append(f"{m.id}: {os.path.basename(p)}: {gtest_failures(out)}")
                            continue
                        rc, out = rc2, out2
                    if rc is None or rc != 0:
                        failed = gtest_failures(out) if rc is not None else []
                        what = "time-out" if rc is None else (failed[0] if failed else f"exit {rc}")
                        m.status, m.detail = "killed", f"{os.path.basename(p)}: {what}"
                        with open(os.path.join(logs, m.id + ".log"), "w") as f:
                            f.write(out)
                        break
            finally:
                with open(path, "w", encoding="utf-8") as f:
                    f.write(original)
                m.seconds = time.time() - t0
                with lock:
                    done[0] += 1
                    print(f"[{done[0]}/{len(todo)}] {m.id}: {m.status} {m.detail} ({m.seconds:.0f} s)",
                          flush=True)

    threads = [threading.Thread(target=work, args=(w,)) for w in workers]
    for t in threads:
        t.start()
    for t in threads:
        t.join()

    lines = report(mutants, time.time() - start)
    if flaky:
        lines.append("failures that did not repeat (not counted as kills):")
        lines += ["  " + f for f in flaky]
    print("\n".join(lines))
    os.makedirs(args.work, exist_ok=True)
    with open(os.path.join(args.work, "report.txt"), "w") as f:
        f.write("\n".join(lines) + "\n")
    with open(os.path.join(args.work, "report.json"), "w") as f:
        json.dump([{"id": m.id, "kind": m.kind, "area": m.area, "file": m.path, "status": m.status,
                    "detail": m.detail} for m in mutants], f, indent=1)
    return 0


def report(mutants, seconds):
    lines = ["", "mutant                                   kind     area           status    detail"]
    for m in mutants:
        lines.append(f"{m.id:40} {m.kind:8} {m.area:14} {m.status or '-':9} {m.detail}")
    counted = [m for m in mutants if m.status in ("killed", "survived")]
    for title, key in (("kind", lambda m: m.kind), ("area", lambda m: m.area)):
        lines.append("")
        lines.append(f"by {title}:")
        groups = collections.defaultdict(list)
        for m in counted:
            groups[key(m)].append(m)
        for name in sorted(groups):
            g = groups[name]
            k = sum(1 for m in g if m.status == "killed")
            lines.append(f"  {name:16} {k:3} of {len(g):3} killed ({100.0 * k / len(g):5.1f} %)")
    k = sum(1 for m in counted if m.status == "killed")
    skipped = sum(1 for m in mutants if m.status == "skipped")
    invalid = sum(1 for m in mutants if m.status == "invalid")
    rate = 100.0 * k / len(counted) if counted else 0.0
    lines.append("")
    lines.append(f"total: {k} of {len(counted)} killed ({rate:.1f} %); {skipped} skipped, {invalid} invalid; "
                 f"{seconds / 60:.1f} min")
    return lines


if __name__ == "__main__":
    sys.exit(main())
