#!/usr/bin/env python3
"""Seeded mutation sampler: how many small faults in the engine does the test suite notice?

Enumerates mutation sites in the engine's .cpp files in a fixed order, shuffles them with the
given seed and tries the first N: each mutant is written into the source file, the release build
is rebuilt and the suite runs. A failing suite kills the mutant, a passing one lets it survive.
The source file is always put back, also on Ctrl-C.

    python3 scripts/mutants.py --seed 1 -n 40 [--build build/mutants] [--jobs 2] [--report r.json]
    python3 scripts/mutants.py --list            # count the sites per operator, build nothing
    python3 scripts/mutants.py --seed 1 -n 40 --dry-run   # show the sample, build nothing
"""

import argparse
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time
from dataclasses import dataclass, asdict
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
MUTATED_DIRS = ["src/archive", "src/document", "src/zip", "src/encoding"]
SLOW_TESTS = "ZipPeerToolsSlow"
BUILD_TIMEOUT = 30 * 60
SUITE_TIMEOUT = 15 * 60
TEST_TIMEOUT = 120


@dataclass
class Site:
    file: str  # relative to ROOT
    line: int  # 1-based
    column: int  # 1-based, where the mutated line first differs
    op: str
    original: str  # the fragment that changes, for the report
    mutated: str
    new_line: str  # the whole mutated line, without its line ending


# ---------------------------------------------------------------- lexing

def mask_code(text):
    """Returns the file's lines with comments blanked out and the insides of string and character
    literals replaced by spaces, so that the patterns below only see code. Columns are kept."""
    out = []
    i, n = 0, len(text)
    state = "code"
    raw_end = ""
    while i < n:
        c = text[i]
        nxt = text[i + 1] if i + 1 < n else ""
        if c == "\n":
            out.append(c)
            if state == "line_comment":
                state = "code"
            i += 1
            continue
        if state == "code":
            if c == "/" and nxt == "/":
                state = "line_comment"
                out.append("  ")
                i += 2
                continue
            if c == "/" and nxt == "*":
                state = "block_comment"
                out.append("  ")
                i += 2
                continue
            if c == '"':
                j = i - 1
                while j >= 0 and (text[j].isalnum() or text[j] == "_"):
                    j -= 1
                prefix = text[j + 1:i]
                if prefix in ("R", "LR", "uR", "UR", "u8R"):
                    k = text.find("(", i)
                    delim = text[i + 1:k] if k >= 0 else ""
                    raw_end = ")" + delim + '"'
                    state = "raw_string"
                    out.append('"')
                    i += 1
                    continue
                state = "string"
                out.append('"')
                i += 1
                continue
            if c == "'":
                prev = text[i - 1] if i > 0 else ""
                if prev.isalnum() and not re.match(r"(?:^|\W)(?:u8|u|U|L)$", text[max(0, i - 3):i]):
                    out.append(c)  # digit separator as in 1'000
                    i += 1
                    continue
                state = "char"
                out.append("'")
                i += 1
                continue
            out.append(c)
            i += 1
            continue
        if state == "line_comment":
            out.append(" ")
            i += 1
            continue
        if state == "block_comment":
            if c == "*" and nxt == "/":
                state = "code"
                out.append("  ")
                i += 2
                continue
            out.append(" ")
            i += 1
            continue
        if state in ("string", "char"):
            quote = '"' if state == "string" else "'"
            if c == "\\" and nxt and nxt != "\n":
                out.append("  ")
                i += 2
                continue
            if c == quote:
                state = "code"
                out.append(quote)
                i += 1
                continue
            out.append(" ")
            i += 1
            continue
        if state == "raw_string":
            if text.startswith(raw_end, i):
                out.append(" " * (len(raw_end) - 1) + '"')
                i += len(raw_end)
                state = "code"
                continue
            out.append(" ")
            i += 1
            continue
    return "".join(out).split("\n")


# ---------------------------------------------------------------- mutation operators

COMPARISON_FLIP = {"<": ">=", ">=": "<", ">": "<=", "<=": ">", "==": "!=", "!=": "=="}
TOKEN_RE = re.compile(r"<=>|<<=|>>=|<<|>>|->|==|!=|<=|>=|<|>")
INT_RE = re.compile(r"(?<![\w.'])(0[xX][0-9a-fA-F]+|\d+)([uUlL]*)(?![\w.'])")
IF_RE = re.compile(r"\bif\s*\(")
RETURN_BOOL_RE = re.compile(r"\breturn\s+(true|false)\s*;")
RETURN_INT_RE = re.compile(r"\breturn\s+(-?)(0[xX][0-9a-fA-F]+|\d+)([uUlL]*)\s*;")
# Lines whose mutants the release build cannot see, or that nobody observes.
SKIP_LINE_RE = re.compile(r"\b(Q_ASSERT|Q_ASSERT_X|assert|static_assert|Q_UNUSED|qDebug|qInfo|"
                          r"qWarning|qCritical|qCDebug|qCInfo|qCWarning|qCCritical)\b")
NOT_DROPPED = {"return", "co_return", "break", "continue", "goto", "case", "default", "using",
               "typedef", "namespace", "static_assert", "friend", "class", "struct", "enum",
               "union", "template", "public", "private", "protected", "extern", "static",
               "const", "constexpr", "thread_local", "auto", "unsigned", "signed", "int", "char",
               "bool", "void", "long", "short", "double", "float", "delete", "throw", "do",
               "else", "if", "for", "while", "switch", "try", "catch"}


def parse_int(literal):
    if literal.lower().startswith("0x"):
        return int(literal, 16)
    if len(literal) > 1 and literal.startswith("0"):
        return int(literal, 8)
    return int(literal)


def int_plus(literal, delta):
    """literal + delta, written in the literal's own base."""
    value = parse_int(literal) + delta
    if literal.lower().startswith("0x"):
        digits = literal[2:]
        text = format(value, "x" if digits == digits.lower() else "X").rjust(len(digits), "0")
        return literal[:2] + text
    if len(literal) > 1 and literal.startswith("0") and value >= 0:
        return "0" + format(value, "o")
    return str(value)


def in_context(line, start, end, replacement):
    """The changed token with its neighbours on either side, to make the report readable."""
    left = re.search(r"[\w.\->\[\]()*:&!]*\s*$", line[:start]).group()
    right = re.match(r"\s*[\w.\->\[\]()*:&]*", line[end:]).group()
    return (left + line[start:end] + right).strip(), (left + replacement + right).strip()


def matching_paren(masked, open_index):
    depth = 0
    for k in range(open_index, len(masked)):
        if masked[k] == "(":
            depth += 1
        elif masked[k] == ")":
            depth -= 1
            if depth == 0:
                return k
    return -1


def strip_template_args(text):
    prev = None
    while prev != text:
        prev = text
        text = re.sub(r"(?<=[\w>])\s*<[^<>()]*>", "", text)
    return text


def is_numeric_table_row(masked):
    """Rows of a lookup table: only numbers, commas and braces. Sampling them would let data
    tables crowd out the logic."""
    stripped = masked.strip()
    return (len(INT_RE.findall(stripped)) >= 4
            and re.fullmatch(r"[\s\d,{}xXa-fA-FuUlL\-]*;?", stripped) is not None)


def comparison_sites(masked, line):
    if "operator" in masked or "template" in masked:
        return
    for m in TOKEN_RE.finditer(masked):
        tok = m.group()
        if tok not in COMPARISON_FLIP:
            continue
        s, e = m.start(), m.end()
        if tok in ("<", ">"):
            # Binary comparisons are spaced; template brackets are not.
            if s == 0 or e >= len(masked) or masked[s - 1] != " " or masked[e] != " ":
                continue
        new = line[:s] + COMPARISON_FLIP[tok] + line[e:]
        yield ("comparison",) + in_context(line, s, e, COMPARISON_FLIP[tok]) + (new,)


def literal_sites(masked, line):
    if is_numeric_table_row(masked):
        return
    for m in INT_RE.finditer(masked):
        lit, suffix = m.group(1), m.group(2)
        s, e = m.start(1), m.end(1)
        for delta in (1, -1):
            if delta < 0 and parse_int(lit) == 0:
                continue
            mutated = int_plus(lit, delta)
            new = line[:s] + mutated + line[e:]
            op = "literal+1" if delta > 0 else "literal-1"
            yield (op,) + in_context(line, s, e, mutated) + (new,)


def negate_sites(masked, line):
    for m in IF_RE.finditer(masked):
        if re.search(r"\bconstexpr\b", masked[m.start():m.end() + 12]):
            continue
        open_index = m.end() - 1
        close = matching_paren(masked, open_index)
        if close < 0:
            continue
        cond = masked[open_index + 1:close]
        if ";" in cond or not cond.strip():
            continue
        if re.match(r"\s*(auto|const)\b", cond) or re.match(r"\s*[\w:]+[\s*&]+\w+\s*=[^=]", cond):
            continue  # a declaration in the condition cannot be negated
        original = line[open_index + 1:close]
        new = line[:open_index + 1] + "!(" + original + ")" + line[close:]
        yield "negate-if", "if (" + original + ")", "if (!(" + original + "))", new


def drop_sites(masked, line, prev_masked):
    stmt = masked.strip()
    if not stmt.endswith(";") or stmt == ";":
        return
    prev = prev_masked.strip()
    control = re.match(r"(}\s*)?(else\b|if\b|for\b|while\b)", prev) and (
        prev.endswith(")") or prev.endswith("else"))
    if not (prev == "" or prev[-1] in ";{}" or (prev.endswith(":") and not prev.endswith("::"))
            or control):
        return  # the line continues a statement that started above
    if stmt.count("(") != stmt.count(")") or stmt.count("{") != stmt.count("}"):
        return
    body = re.sub(r"^(emit|Q_EMIT)\s+", "", stmt)
    first = re.match(r"[A-Za-z_]\w*", body)
    if not first and not re.match(r"(\*|\+\+|--|::)", body):
        return
    if first and first.group() in NOT_DROPPED:
        return
    head = re.split(r"[(={\[;]", strip_template_args(body), maxsplit=1)[0]
    if re.match(r"^[A-Za-z_][\w:]*(\s*[*&]+\s*|\s+)[A-Za-z_]", head.strip()):
        return  # a declaration: Type name ...
    if re.search(r"\)\s*=\s*(0|default|delete)\s*;$", stmt):
        return
    indent = line[:len(line) - len(line.lstrip())]
    original = line.strip()
    yield "drop-statement", original, ";", indent + ";"


def return_sites(masked, line):
    m = RETURN_BOOL_RE.search(masked)
    if m:
        other = "false" if m.group(1) == "true" else "true"
        new = line[:m.start(1)] + other + line[m.end(1):]
        yield "return-value", "return " + m.group(1), "return " + other, new
    m = RETURN_INT_RE.search(masked)
    if m:
        sign, lit, suffix = m.group(1), m.group(2), m.group(3)
        value = -parse_int(lit) if sign else parse_int(lit)
        if lit.lower().startswith("0x") and not sign:
            mutated = int_plus(lit, 1)
        else:
            mutated = str(value + 1)
        new = line[:m.start(1)] + mutated + suffix + line[m.end(3):]
        yield "return-value", "return " + sign + lit + suffix, "return " + mutated + suffix, new


def sites_in_file(rel):
    path = ROOT / rel
    text = path.read_text(encoding="utf-8")
    lines = text.split("\n")
    masked_lines = mask_code(text)
    sites = []
    prev_code = ""
    continued = False  # inside a multi-line preprocessor directive
    for index, (line, masked) in enumerate(zip(lines, masked_lines)):
        if continued or masked.lstrip().startswith("#"):
            continued = line.rstrip().endswith("\\")
            continue
        if not masked.strip():
            continue
        if not SKIP_LINE_RE.search(masked):
            seen = set()  # two operators may yield the same line, e.g. return 0 -> 1
            generators = [comparison_sites(masked, line), literal_sites(masked, line),
                          negate_sites(masked, line), drop_sites(masked, line, prev_code),
                          return_sites(masked, line)]
            for gen in generators:
                for op, original, mutated, new_line in gen:
                    if new_line == line or new_line in seen:
                        continue
                    seen.add(new_line)
                    column = next((k for k, (a, b) in enumerate(zip(line, new_line)) if a != b),
                                  min(len(line), len(new_line))) + 1
                    sites.append(Site(rel, index + 1, column, op, original, mutated, new_line))
        prev_code = masked
    return sites


def source_files():
    files = []
    for d in MUTATED_DIRS:
        files += [p.relative_to(ROOT).as_posix() for p in (ROOT / d).rglob("*.cpp")]
    return sorted(files)


def all_sites():
    sites = []
    for rel in source_files():
        sites += sites_in_file(rel)
    return sites


def sample(sites, seed, n):
    order = list(range(len(sites)))
    random.Random(seed).shuffle(order)  # a longer run with the same seed extends a shorter one
    return [sites[i] for i in order[:n]]


# ---------------------------------------------------------------- running

class Interrupted(Exception):
    pass


def on_signal(signum, frame):
    raise Interrupted(signal.Signals(signum).name)


def run(cmd, timeout, env=None):
    """Runs cmd in its own process group, so that a timeout or Ctrl-C ends ctest and all the
    tests it started. Returns (exit code or None on timeout, combined output)."""
    proc = subprocess.Popen(cmd, cwd=ROOT, env=env, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, text=True, errors="replace",
                            start_new_session=True)
    try:
        out, _ = proc.communicate(timeout=timeout)
        return proc.returncode, out
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        out, _ = proc.communicate()
        return None, out
    except BaseException:
        try:
            os.killpg(proc.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        proc.communicate()
        raise


def configure(build):
    if not (build / "CMakeCache.txt").exists():
        code, out = run(["cmake", "-S", str(ROOT), "-B", str(build), "-G", "Ninja",
                         "-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DKIST_BUILD_BENCH=OFF"], 600)
        if code != 0:
            sys.exit("configure failed:\n" + out[-4000:])


def build_tree(build, jobs):
    return run(["cmake", "--build", str(build), "-j", str(jobs)], BUILD_TIMEOUT)


def run_suite(build, jobs):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    start = time.monotonic()
    code, out = run(["ctest", "--test-dir", str(build), "-j", str(jobs), "--stop-on-failure",
                     "--timeout", str(TEST_TIMEOUT), "-E", SLOW_TESTS, "-LE", "slow"],
                    SUITE_TIMEOUT, env)
    return code, out, time.monotonic() - start


def failed_tests(out):
    """The names in ctest's closing "The following tests FAILED" list."""
    tail = out.split("The following tests FAILED:", 1)
    if len(tail) < 2:
        return []
    return re.findall(r"^\s*\d+ - (\S+)", tail[1], re.M)


def write_file(path, data):
    path.write_bytes(data)
    now = time.time()
    os.utime(path, (now, now))  # a fresh mtime, so ninja recompiles the file every time


def restore_leftover(build):
    """Puts back a file that a killed earlier run left mutated."""
    marker = build / "mutant-in-progress.json"
    if marker.exists():
        info = json.loads(marker.read_text())
        backup = build / "mutant-backup"
        write_file(ROOT / info["file"], backup.read_bytes())
        print(f"restored {info['file']} left mutated by an interrupted run", file=sys.stderr)
        marker.unlink()
        backup.unlink()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("-n", type=int, default=40, help="number of mutants to try")
    parser.add_argument("--build", default="build/mutants")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--report", help="write a JSON report to this file")
    parser.add_argument("--list", action="store_true", help="count the sites and stop")
    parser.add_argument("--dry-run", action="store_true", help="print the sample and stop")
    parser.add_argument("--skip-baseline", action="store_true",
                        help="do not check that the unmutated tree passes first")
    args = parser.parse_args()

    build = (ROOT / args.build).resolve()
    restore_leftover(build)
    sites = all_sites()
    if args.list:
        counts = {}
        for s in sites:
            counts[s.op] = counts.get(s.op, 0) + 1
        for op in sorted(counts):
            print(f"{op:16} {counts[op]}")
        print(f"{'total':16} {len(sites)} in {len(source_files())} files")
        return 0

    chosen = sample(sites, args.seed, args.n)
    if args.dry_run:
        for i, s in enumerate(chosen, 1):
            print(f"[{i}/{len(chosen)}] {s.file}:{s.line}:{s.column} {s.op}: {s.original!r} -> {s.mutated!r}")
        return 0

    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGHUP, on_signal)
    build.mkdir(parents=True, exist_ok=True)
    files = sorted({s.file for s in chosen})
    dirty = [f for f in files
             if subprocess.run(["git", "diff", "--quiet", "--", f], cwd=ROOT).returncode != 0]
    if dirty:
        sys.exit("uncommitted changes in " + ", ".join(dirty) + "; commit or stash them first")

    configure(build)
    print(f"{len(sites)} sites; seed {args.seed}; trying {len(chosen)} mutants in {build}",
          flush=True)
    code, out = build_tree(build, args.jobs)
    if code != 0:
        sys.exit("the unmutated tree does not build:\n" + out[-4000:])
    if not args.skip_baseline:
        code, out, secs = run_suite(build, args.jobs)
        if code != 0:
            sys.exit("the unmutated tree fails its tests, so no mutant could survive:\n"
                     + out[-4000:])
        print(f"unmutated suite passes ({secs:.0f} s)", flush=True)

    results = []
    started = time.monotonic()
    marker = build / "mutant-in-progress.json"
    backup = build / "mutant-backup"
    try:
        for i, s in enumerate(chosen, 1):
            path = ROOT / s.file
            original = path.read_bytes()
            text = original.decode("utf-8")
            lines = text.split("\n")
            old_line = lines[s.line - 1]
            lines[s.line - 1] = s.new_line.rstrip("\r") + ("\r" if old_line.endswith("\r") else "")
            t0 = time.monotonic()
            try:
                # If this process dies for good, the next run puts the file back from here.
                backup.write_bytes(original)
                marker.write_text(json.dumps({"file": s.file}))
                write_file(path, "\n".join(lines).encode("utf-8"))
                code, out = build_tree(build, args.jobs)
                detail = ""
                if code != 0:
                    # A test binary that breaks while ctest lists its tests counts as caught.
                    if code is not None and "error:" not in out and (
                            "Error running test executable" in out or "gtest_discover" in out):
                        outcome, detail = "killed", "test discovery failed"
                    else:
                        outcome = "did not compile"
                else:
                    tcode, tout, _ = run_suite(build, args.jobs)
                    if tcode is None:
                        outcome, detail = "killed", "suite timed out"
                    elif tcode != 0:
                        outcome = "killed"
                        detail = ", ".join(failed_tests(tout)[:3])
                    else:
                        outcome = "survived"
            finally:
                # No signal may cut the restore short.
                blocked = {signal.SIGINT, signal.SIGTERM, signal.SIGHUP}
                signal.pthread_sigmask(signal.SIG_BLOCK, blocked)
                try:
                    write_file(path, original)
                    if path.read_bytes() != original:
                        sys.exit(f"could not restore {s.file}; its original is in {backup}")
                    marker.unlink(missing_ok=True)
                    backup.unlink(missing_ok=True)
                finally:
                    signal.pthread_sigmask(signal.SIG_UNBLOCK, blocked)
            secs = time.monotonic() - t0
            results.append(dict(asdict(s), outcome=outcome, detail=detail, seconds=round(secs)))
            shown = f" ({detail})" if detail else ""
            print(f"[{i}/{len(chosen)}] {s.file}:{s.line}:{s.column} {s.op}: {s.original!r} -> "
                  f"{s.mutated!r}  {outcome}{shown}  {secs:.0f} s", flush=True)
    except (KeyboardInterrupt, Interrupted) as e:
        print(f"interrupted ({e or 'SIGINT'}) after {len(results)} mutants", file=sys.stderr)
    finally:
        for f in files:
            if subprocess.run(["git", "diff", "--quiet", "--", f], cwd=ROOT).returncode != 0:
                print(f"ERROR: {f} differs from git after the run", file=sys.stderr)

    killed = sum(r["outcome"] == "killed" for r in results)
    survived = sum(r["outcome"] == "survived" for r in results)
    broken = sum(r["outcome"] == "did not compile" for r in results)
    rate = 100.0 * killed / (killed + survived) if killed + survived else 0.0
    elapsed = time.monotonic() - started
    print(f"\nkilled {killed}, survived {survived}, did not compile {broken}; "
          f"kill rate {rate:.1f}% ({killed}/{killed + survived}); "
          f"{elapsed / 60:.1f} min, {elapsed / max(len(results), 1):.0f} s per mutant")
    for r in results:
        if r["outcome"] == "survived":
            print(f"  survived: {r['file']}:{r['line']}:{r['column']} {r['op']}: "
                  f"{r['original']!r} -> {r['mutated']!r}")
    if args.report:
        report = {"seed": args.seed, "n": args.n, "sites": len(sites),
                  "commit": subprocess.run(["git", "rev-parse", "HEAD"], cwd=ROOT,
                                           capture_output=True, text=True).stdout.strip(),
                  "killed": killed, "survived": survived, "did_not_compile": broken,
                  "kill_rate": round(rate, 1), "seconds": round(elapsed), "mutants": results}
        Path(args.report).write_text(json.dumps(report, indent=2) + "\n")
    return 0 if len(results) == len(chosen) else 130


if __name__ == "__main__":
    sys.exit(main())
