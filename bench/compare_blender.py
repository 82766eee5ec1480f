#!/usr/bin/env python3
"""Whole-job comparison of `quorvane rock` with Blender doing the same job.

Both build a rock from a 2 m cube: Catmull-Clark subdivision at level L, three
noise layers displacing along the normals, written as a mesh file. Ours runs
`quorvane rock --set OXROCK_SUBDIVISIONS=L --add-layer 2` with all three layers
set to fBm; Blender runs the peer script blender_rock.py (Subdivision Surface
modifier, three Displace modifiers, OBJ export with normals and UVs, as ours
writes them). The two jobs alternate (A B A B ...) so both see the same load,
and each process is measured as a whole: wall time, CPU time (user + system)
and peak resident memory, from the kernel's accounting of the child.

  python3 bench/compare_blender.py --levels 7 8 9 10 --rounds 3

With --baseline PATH, a second `quorvane` (an older build) joins the
alternation, so before and after are measured under the same load.

Blender is a measuring tool, not a dependency: install it with
`apt-get install blender python3-numpy`. Without it the script says so and exits.
"""

import argparse
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def default_blender_script():
    for up in (1, 2):
        candidate = os.path.join(REPO, *[".."] * up, "shared", "peers", "blender_rock.py")
        if os.path.isfile(candidate):
            return os.path.normpath(candidate)
    return None


def parse_args():
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("--levels", type=int, nargs="+", default=[7, 8, 9, 10])
    p.add_argument("--rounds", type=int, default=3, help="runs of each job per level (the median is shown)")
    p.add_argument("--format", choices=["obj", "glb", "ply"], default="obj", help="our output format")
    p.add_argument("--quorvane", default=os.path.join(REPO, "build-release", "bin", "quorvane"))
    p.add_argument("--baseline", help="another quorvane executable to time in the same runs")
    p.add_argument("--blender", default=shutil.which("blender") or "blender")
    p.add_argument("--blender-script", default=default_blender_script(),
                   help="the peer script (default: shared/peers/blender_rock.py beside the repository "
                        "or its worktree folder)")
    p.add_argument("--octaves", type=int, default=4, help="Blender's noise depth (depth 4 = 5 octaves)")
    return p.parse_args()


def measure(command, env=None, check_output=None):
    """Runs command; returns (wall s, cpu s, peak MiB) of the child process,
    or None when it fails (its last error line goes to stderr). check_output,
    when given, must accept the child's standard output."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        start = time.perf_counter()
        child = subprocess.Popen(command, stdout=out, stderr=err, env=env)
        # wait4 rather than Popen.wait: it also gives the child's resource use.
        _, status, usage = os.wait4(child.pid, 0)
        wall = time.perf_counter() - start
        child.returncode = os.waitstatus_to_exitcode(status)
        out.seek(0)
        err.seek(0)
        stdout = out.read().decode(errors="replace")
        stderr = err.read().decode(errors="replace")
    if child.returncode == 0 and check_output and not check_output(stdout):
        child.returncode = -1
        stderr += "\nunexpected output: " + stdout[-300:]
    if child.returncode != 0:
        lines = stderr.strip().splitlines()
        print(f"# {os.path.basename(command[0])} failed ({child.returncode}): {lines[-1] if lines else ''}",
              file=sys.stderr)
        return None
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024.0


def blender_built_the_rock(stdout):
    """The peer script prints one JSON line; it names the points it made."""
    for line in stdout.splitlines():
        if line.startswith("{"):
            return "points" in json.loads(line)
    return False


def ours(executable, args, level, folder):
    layers = [f"layer{k}.Noise Type=fBm" for k in (1, 2, 3)]
    command = [executable, "rock", "--set", f"OXROCK_SUBDIVISIONS={level}", "--add-layer", "2",
               "--out", os.path.join(folder, f"ours.{args.format}")]
    for layer in layers:
        command += ["--set", layer]
    return command


def blender(args, level, folder):
    return [args.blender, "-b", "--factory-startup", "-noaudio", "--python-exit-code", "2", "--python",
            args.blender_script, "--",
            "--level", str(level), "--layers", "3", "--depth", str(args.octaves), "--normals", "--uvs",
            "--out", os.path.join(folder, "blender.obj")]


def main():
    args = parse_args()
    if not shutil.which(args.blender):
        sys.exit("Blender is not installed (apt-get install blender python3-numpy); nothing to compare")
    if not args.blender_script or not os.path.isfile(args.blender_script):
        sys.exit("blender_rock.py not found; pass --blender-script")
    if not os.access(args.quorvane, os.X_OK):
        sys.exit(f"{args.quorvane}: not built (build the Release tree first, or pass --quorvane)")
    # Debian's Blender takes the first python3.11 on PATH; give it the system's.
    blender_env = {k: v for k, v in os.environ.items() if k != "VIRTUAL_ENV"}
    blender_env["PATH"] = "/usr/bin:/bin"

    print(f"# {os.cpu_count()} cores, load average at start {os.getloadavg()[0]:.1f}; "
          f"median of {args.rounds}, A B A B ...; ours writes {args.format.upper()}, Blender OBJ")
    jobs = {"ours": lambda level, folder: ours(args.quorvane, args, level, folder)}
    if args.baseline:
        jobs["baseline"] = lambda level, folder: ours(args.baseline, args, level, folder)
    header = ("| L | job | wall | CPU | peak MiB | wall / Blender | CPU / Blender | peak / Blender |")
    print(header)
    print("|" + "---|" * (header.count("|") - 1))
    with tempfile.TemporaryDirectory(prefix="quorvane-compare-") as folder:
        for level in args.levels:
            runs = {name: [] for name in [*jobs, "blender"]}
            for _ in range(args.rounds):
                for name, command in jobs.items():
                    runs[name].append(measure(command(level, folder)))
                runs["blender"].append(measure(blender(args, level, folder), blender_env, blender_built_the_rock))
            if None in runs["blender"]:
                sys.exit("Blender failed; see above")
            median = {name: [statistics.median(r[i] for r in values) for i in range(3)]
                      for name, values in runs.items() if None not in values}
            b = median["blender"]
            for name in runs:
                if name not in median:
                    print(f"| {level} | {name} | failed | | | | | |")
                    continue
                m = median[name]
                print(f"| {level} | {name} | {m[0]:.2f} s | {m[1]:.2f} s | {m[2]:.0f} | {m[0] / b[0]:.2f} "
                      f"| {m[1] / b[1]:.2f} | {m[2] / b[2]:.2f} |", flush=True)
    print(f"# load average at end {os.getloadavg()[0]:.1f}")


if __name__ == "__main__":
    main()
