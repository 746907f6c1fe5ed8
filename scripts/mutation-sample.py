#!/usr/bin/env python3
"""Measures how much of a fixed sample of small source changes the tests catch.

Every candidate change ("mutation") in the C++ files of the given folders is listed:
a comparison flipped (< and <=, > and >=, == and !=), an integer literal changed by
one, && and || swapped, + and - swapped, true and false swapped, or a one-line
expression statement (a call, an assignment) dropped. A fixed sample of them, chosen
by a seeded random generator from the sorted list, is applied one at a time: the test
programs are rebuilt and run, and the change is "caught" when one of them fails (or
runs out of time), "survived" when all pass, and "not built" when it does not compile.
The file is always put back byte for byte.

    python3 scripts/mutation-sample.py [--count 150] [--seed 11] [--report FILE]
    python3 scripts/mutation-sample.py --list          # the sample only
    python3 scripts/mutation-sample.py --summarize FILE  # figures of a report, finished or not
"""

import argparse
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time
from collections import Counter, defaultdict

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_DIRS = ["src/formats", "src/images", "src/layout"]
OPTIONAL_DIRS = ["src/surfaces", "src/textfiles"]
DEFAULT_TESTS = ["test_formats", "test_images", "test_layout", "test_i18n", "test_skins", "test_cli"]
# Programs a test program runs (and so must be rebuilt with it).
TEST_HELPERS = {"test_cli": ["sleevit-cli"]}

# ---------------------------------------------------------------------------------
# Lexing: code tokens only; comments, string and character literals and preprocessor
# lines never yield a token that could be changed.

PUNCTUATORS = sorted(
    """<=> ... ->* <<= >>= -> ++ -- << >> <= >= == != && || += -= *= /= %= &= |= ^= ::
    .* { } [ ] ( ) ; : , ? . + - * / % ^ & | ~ ! = < > #""".split(),
    key=len,
    reverse=True,
)
TYPE_WORDS = {
    "auto", "bool", "char", "char8_t", "char16_t", "char32_t", "const", "constexpr", "double",
    "float", "int", "long", "short", "signed", "static", "unsigned", "void", "volatile",
    "wchar_t", "thread_local", "mutable", "inline", "extern", "register", "typename",
    "struct", "class", "enum", "union", "using", "typedef", "template", "friend", "virtual",
    "explicit", "operator", "decltype", "static_assert", "namespace", "constinit", "consteval",
}
NOT_A_STATEMENT_START = TYPE_WORDS | {
    "return", "break", "continue", "goto", "throw", "case", "default", "if", "else", "for",
    "while", "do", "switch", "try", "catch", "delete", "new", "public", "private",
    "protected", "co_return", "co_yield", "co_await", "assert", "sizeof", "alignof",
}
# Words after which + and - are signs, not arithmetic.
PREFIX_WORDS = {"return", "case", "throw", "co_return", "co_yield", "sizeof", "else", "do"}

IDENT_RE = re.compile(r"[A-Za-z_][A-Za-z_0-9]*")
NUMBER_RE = re.compile(r"(?:\d|\.\d)(?:[eEpP][+-]|[0-9A-Za-z_.']|'(?=[0-9A-Za-z]))*")
INT_RE = re.compile(r"^(0[xX][0-9A-Fa-f']+|[1-9][0-9']*|0)([uUlLzZ]*)$")


class Tok:
    __slots__ = ("kind", "text", "line", "col", "off", "excluded", "template")

    def __init__(self, kind, text, line, col, off):
        self.kind, self.text, self.line, self.col, self.off = kind, text, line, col, off
        self.excluded = False  # inside static_assert(...) or assert(...)
        self.template = False  # an angle bracket of a template, or inside one


def lex(src):
    """Returns the code tokens of a C++ source text."""
    toks = []
    i, n, line, line_start = 0, len(src), 1, 0
    at_line_start = True
    while i < n:
        c = src[i]
        if c == "\n":
            i += 1
            line += 1
            line_start = i
            at_line_start = True
            continue
        if c in " \t\r\f\v":
            i += 1
            continue
        if c == "\\" and src.startswith("\n", i + 1):
            i += 2
            line += 1
            line_start = i
            continue
        if c == "#" and at_line_start:
            # A preprocessor line, with its continuations (and comments inside it).
            while i < n and src[i] != "\n":
                if src[i] == "\\" and i + 1 < n and src[i + 1] == "\n":
                    i += 2
                    line += 1
                    line_start = i
                    continue
                if src.startswith("/*", i):
                    end = src.find("*/", i + 2)
                    end = n if end < 0 else end + 2
                    line += src.count("\n", i, end)
                    if "\n" in src[i:end]:
                        line_start = src.rfind("\n", i, end) + 1
                    i = end
                    continue
                i += 1
            continue
        at_line_start = False
        if src.startswith("//", i):
            end = src.find("\n", i)
            i = n if end < 0 else end
            continue
        if src.startswith("/*", i):
            end = src.find("*/", i + 2)
            end = n if end < 0 else end + 2
            line += src.count("\n", i, end)
            if "\n" in src[i:end]:
                line_start = src.rfind("\n", i, end) + 1
            i = end
            continue
        m = re.match(r'(?:u8|u|U|L)?R"([^()\\\s]{0,16})\(', src[i:i + 24])
        if m:
            # Raw string literal.
            end = src.find(")" + m.group(1) + '"', i + m.end())
            end = n if end < 0 else end + len(m.group(1)) + 2
            line += src.count("\n", i, end)
            if "\n" in src[i:end]:
                line_start = src.rfind("\n", i, end) + 1
            i = end
            continue
        m = re.match(r"(?:u8|u|U|L)?(['\"])", src[i:i + 3])
        if m and (m.end() == 1 or not IDENT_RE.match(src[i + m.end() - 1:i + m.end()])):
            quote = m.group(1)
            j = i + m.end()
            while j < n and src[j] != quote and src[j] != "\n":
                j += 2 if src[j] == "\\" else 1
            start_col = i - line_start + 1
            toks.append(Tok("str", src[i:j + 1], line, start_col, i))
            i = j + 1
            continue
        m = IDENT_RE.match(src, i)
        if m:
            toks.append(Tok("id", m.group(), line, i - line_start + 1, i))
            i = m.end()
            continue
        m = NUMBER_RE.match(src, i)
        if m:
            toks.append(Tok("num", m.group(), line, i - line_start + 1, i))
            i = m.end()
            continue
        for p in PUNCTUATORS:
            if src.startswith(p, i):
                toks.append(Tok("op", p, line, i - line_start + 1, i))
                i += len(p)
                break
        else:
            toks.append(Tok("op", c, line, i - line_start + 1, i))
            i += 1
    return toks


def mark_templates(toks):
    """Marks template angle brackets and everything between them.

    A '<' after a name (or after 'template'/'operator' words) opens a template argument
    list when a matching '>' follows before anything that cannot appear in one (';', '{',
    '}', '&&', '||', or a ')' / ']' closing an outer bracket)."""
    n = len(toks)
    i = 0
    while i < n:
        t = toks[i]
        if t.text == "<" and i > 0 and toks[i - 1].kind == "id" and toks[i - 1].text != "operator":
            depth, angle, j, end = 0, 1, i + 1, None
            while j < n:
                x = toks[j].text
                if x in ("(", "["):
                    depth += 1
                elif x in (")", "]"):
                    depth -= 1
                    if depth < 0:
                        break
                elif x in (";", "{", "}") or (depth == 0 and x in ("&&", "||")):
                    break
                elif depth == 0 and x == "<" and toks[j - 1].kind == "id":
                    angle += 1
                elif depth == 0 and x == ">":
                    angle -= 1
                elif depth == 0 and x == ">>":
                    angle -= 2
                if angle <= 0:
                    end = j
                    break
                j += 1
            if end is not None:
                for k in range(i, end + 1):
                    toks[k].template = True
                i = end + 1
                continue
        i += 1


def mark_excluded(toks):
    """Marks the tokens of static_assert(...) and assert(...) (compiled out)."""
    for i, t in enumerate(toks):
        if t.kind == "id" and t.text in ("static_assert", "assert") and i + 1 < len(toks) \
                and toks[i + 1].text == "(":
            depth = 0
            for k in range(i, len(toks)):
                toks[k].excluded = True
                if toks[k].text == "(":
                    depth += 1
                elif toks[k].text == ")":
                    depth -= 1
                    if depth == 0:
                        break


def change_int(text):
    m = INT_RE.match(text)
    if not m:
        return None
    digits, suffix = m.group(1), m.group(2)
    clean = digits.replace("'", "")
    hexa = clean[:2].lower() == "0x"
    value = int(clean, 16 if hexa else 10)
    value = 1 if value == 0 else value - 1
    if not hexa:
        return str(value) + suffix
    body = clean[2:]
    upper = body.upper() == body
    new = "%0*X" % (len(body), value) if upper else "%0*x" % (len(body), value)
    return clean[:2] + new + suffix


def is_operand_end(t):
    """Whether a token can end an operand (so that what follows is a binary operator)."""
    if t.kind == "num" or t.kind == "str":
        return True
    if t.kind == "id":
        return t.text not in PREFIX_WORDS and t.text not in TYPE_WORDS
    return t.text in (")", "]") or (t.text == ">" and t.template)


ASSIGNMENTS = {"=", "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^=", "<<=", ">>="}
COMPARISONS = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}


def find_sites(rel, src):
    """The mutation sites of one file: (file, line, col, operator, original, replacement, offset)."""
    toks = lex(src)
    mark_templates(toks)
    mark_excluded(toks)
    sites = []

    def add(t, op, new, old=None):
        sites.append((rel, t.line, t.col, op, old if old is not None else t.text, new, t.off))

    for i, t in enumerate(toks):
        if t.excluded or t.template:
            continue
        prev = toks[i - 1] if i > 0 else None
        nxt = toks[i + 1] if i + 1 < len(toks) else None
        if prev is not None and prev.text == "operator":
            continue
        if t.kind == "op" and t.text in COMPARISONS:
            if prev is not None and is_operand_end(prev) and nxt is not None:
                add(t, "comparison", COMPARISONS[t.text])
        elif t.kind == "num":
            new = change_int(t.text)
            if new is not None:
                add(t, "literal", new)
        elif t.text in ("&&", "||"):
            if t.text == "&&":
                # Not an rvalue reference: an operand before, and no declarator after.
                if prev is None or not is_operand_end(prev) or prev.text in ("auto",):
                    continue
                if nxt is None or nxt.text in (")", ",", "...", ">", "=", ";"):
                    continue
                if prev.kind == "id" and prev.text[:1].isupper() and nxt.kind == "id" \
                        and i + 2 < len(toks) and toks[i + 2].text in (")", ",", "=", ";", "{"):
                    continue
            add(t, "logic", "||" if t.text == "&&" else "&&")
        elif t.text in ("+", "-") and prev is not None and is_operand_end(prev):
            add(t, "arithmetic", "-" if t.text == "+" else "+")
        elif t.text in ("+=", "-="):
            add(t, "arithmetic", "-=" if t.text == "+=" else "+=")
        elif t.kind == "id" and t.text in ("true", "false"):
            add(t, "boolean", "false" if t.text == "true" else "true")
    sites.extend(statement_sites(rel, src, toks))
    return sites


def statement_sites(rel, src, toks):
    """One-line expression statements (calls, assignments, increments) in function bodies."""
    sites = []
    # Brace scopes: (kind, paren depth at the brace).
    scopes = [("namespace", 0)]
    paren = 0
    boundary = -1  # index of the last ';', '{' or '}' at statement level
    for i, t in enumerate(toks):
        x = t.text
        if x in ("(", "["):
            paren += 1
        elif x in (")", "]"):
            paren -= 1
        elif x == "{":
            header = [toks[k].text for k in range(boundary + 1, i)]
            prev = toks[i - 1] if i > 0 else None
            typelike = any(w in ("class", "struct", "union", "enum", "namespace", "extern")
                           for w in header) and ")" not in header
            if prev is not None and (prev.text in ("=", ",", "(", "[", "return", "?", "{")
                                     or (prev.kind == "id" and not typelike and prev.text not in
                                         ("else", "do", "try", "const", "override", "noexcept",
                                          "final", "mutable"))):
                # A braced initializer (T{x}, = {..}, member{x}): part of an expression.
                scopes.append(("init", paren))
                continue
            scopes.append(("type" if typelike else "code", paren))
            boundary = i
        elif x == "}":
            if len(scopes) > 1 and scopes.pop()[0] == "init":
                continue
            boundary = i
        elif x == ";" and paren == scopes[-1][1]:
            start = boundary + 1
            boundary_tok = toks[boundary] if boundary >= 0 else None
            stmt = toks[start:i + 1]
            boundary = i
            if scopes[-1][0] != "code" or paren != scopes[-1][1]:
                continue
            site = expression_statement(stmt, boundary_tok)
            if site is None:
                continue
            first, last, before = site
            if first.line != last.line:
                continue
            old = src[first.off:last.off + 1]
            new = ";" if before is not None and (before.text == ")" or before.text == "else") else ""
            sites.append((rel, first.line, first.col, "statement", old, new, first.off))
    return sites


def expression_statement(stmt, boundary_tok):
    """(first token, ';' token, token before) when stmt is a droppable expression statement."""
    if len(stmt) < 2 or any(t.excluded for t in stmt):
        return None
    # Skip a label or the head of a control statement on the same line: case X:, if (...), else.
    k = 0
    before = boundary_tok
    texts = [t.text for t in stmt]
    if texts[0] in ("case", "default"):
        while k < len(stmt) and stmt[k].text != ":":
            k += 1
        k += 1
    elif texts[0] in ("if", "while", "for", "switch") and len(stmt) > 1 and texts[1] == "(":
        depth = 0
        while k < len(stmt):
            if stmt[k].text == "(":
                depth += 1
            elif stmt[k].text == ")":
                depth -= 1
                if depth == 0:
                    break
            k += 1
        k += 1
    elif texts[0] == "else" or texts[0] == "do":
        k = 1
    if k >= len(stmt) - 1:
        return None
    if k > 0:
        before = stmt[k - 1]
        if before.text in ("constexpr",):
            return None
    body = stmt[k:]
    first = body[0]
    if first.text == "else" or (first.kind == "id" and first.text in NOT_A_STATEMENT_START):
        return None
    if not (first.kind == "id" or first.text in ("++", "--", "*", "::", "(")):
        return None
    words = [t.text for t in body]
    if "delete" in words or "default" in words:
        return None
    useful = any(w in ASSIGNMENTS or w in ("++", "--") for w in words) or "(" in words
    if not useful:
        return None
    # A declaration: two names in a row (Type name), a type word, or Type* / Type& name,
    # or a parameter list (x&) / (x*).
    for a, b in zip(body, body[1:]):
        if a.template or b.template:
            if b.kind == "id" and a.text == ">" and a.template:
                return None
            continue
        if a.kind == "id" and b.kind == "id":
            return None
        if a.text in ("*", "&", "&&") and b.text in (")", ",", "="):
            return None
        if a.kind == "id" and a.text in TYPE_WORDS:
            return None
    # Type* name / Type& name before the first assignment or call.
    for k in range(1, len(body) - 1):
        if body[k].text in ASSIGNMENTS or body[k].text in ("(", "{"):
            break
        if body[k].text in ("*", "&", "&&") and body[k + 1].kind == "id" and \
                (body[k - 1].kind == "id" or (body[k - 1].text == ">" and body[k - 1].template)):
            return None
        if a.kind == "id" and a.text in TYPE_WORDS:
            return None
    if body[-1].text != ";":
        return None
    return first, body[-1], before


# ---------------------------------------------------------------------------------


def source_files(dirs):
    files = []
    for d in dirs:
        full = os.path.join(ROOT, d)
        for dirpath, _dirnames, names in os.walk(full):
            for name in names:
                if name.endswith((".cpp", ".h")):
                    files.append(os.path.relpath(os.path.join(dirpath, name), ROOT))
    return sorted(files)


def all_sites(dirs):
    sites = []
    for rel in source_files(dirs):
        with open(os.path.join(ROOT, rel), encoding="utf-8", errors="surrogateescape") as f:
            src = f.read()
        sites.extend(find_sites(rel, src))
    sites.sort()
    return sites


def pick_sample(sites, seed, count):
    return random.Random(seed).sample(sites, min(count, len(sites)))


def describe(site):
    rel, line, col, op, old, new, _off = site
    shown_new = new if new else "(nothing)"
    return "%s:%d:%d %s %r -> %r" % (rel, line, col, op, old, shown_new)


def git_status():
    return subprocess.run(["git", "status", "--porcelain", "--", "src"], cwd=ROOT, check=True,
                          capture_output=True, text=True).stdout


# A stop request (Ctrl-C, SIGTERM, SIGHUP) only sets this; the loop stops at the next safe
# point, after the changed file is back, so nothing ever cuts a restore short.
STOP = []


def on_signal(signum, _frame):
    STOP.append(signum)


def configure(build_dir):
    if os.path.exists(os.path.join(build_dir, "build.ninja")):
        return
    flags = "-O1 -g0 -DNDEBUG"
    cmd = ["cmake", "-S", ROOT, "-B", build_dir, "-G", "Ninja",
           "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
           "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=" + flags, "-DCMAKE_C_FLAGS_RELWITHDEBINFO=" + flags,
           "-DSLEEVIT_GUI=OFF", "-DSLEEVIT_BENCH=OFF", "-DSLEEVIT_TESTS=ON",
           # A change that only brings a warning is still a program that runs.
           "-DSLEEVIT_WERROR=OFF"]
    if shutil.which("ccache"):
        cmd += ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache", "-DCMAKE_C_COMPILER_LAUNCHER=ccache"]
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL)


def build(build_dir, targets):
    """Whether the targets build (None when a stop was requested), and ninja's output."""
    with open(os.path.join(build_dir, "mutation-build.log"), "w+") as log:
        proc = subprocess.Popen(["ninja", "-C", build_dir] + targets, stdout=log,
                                stderr=subprocess.STDOUT, start_new_session=True)
        while proc.poll() is None and not STOP:
            time.sleep(0.05)
        if proc.poll() is None:
            os.killpg(proc.pid, signal.SIGTERM)
            proc.wait()
            return None, ""
        log.seek(0)
        return proc.returncode == 0, log.read()


def test_env(build_dir):
    env = dict(os.environ)
    env["LC_ALL"] = "C.UTF-8"  # as the test registration sets it
    return env


class Job:
    """One test program, or one shard of it, run as its own process group."""

    def __init__(self, name, shard, shards):
        self.name, self.shard, self.shards = name, shard, shards
        self.limit = 1800.0
        self.proc = None
        self.started = 0.0

    def label(self):
        return self.name if self.shards == 1 else "%s[%d/%d]" % (self.name, self.shard + 1, self.shards)

    def start(self, build_dir, env):
        env = dict(env)
        # Each process its own temporary folder: tests use fixed names there.
        tmp = os.path.join(build_dir, "mutation-tmp", self.label())
        shutil.rmtree(tmp, ignore_errors=True)
        os.makedirs(tmp)
        env["TMPDIR"] = tmp
        if self.shards > 1:
            env["GTEST_TOTAL_SHARDS"] = str(self.shards)
            env["GTEST_SHARD_INDEX"] = str(self.shard)
        self.started = time.monotonic()
        self.proc = subprocess.Popen([os.path.join(build_dir, "tests", self.name), "--gtest_fail_fast"],
                                     cwd=os.path.join(build_dir, "tests"), env=env,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                     start_new_session=True)

    def kill(self):
        if self.proc is not None and self.proc.poll() is None:
            try:
                os.killpg(self.proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        if self.proc is not None:
            self.proc.wait()
        # What the tests leave (a killed test cannot clean up) goes with its folder.


def run_jobs(jobs, build_dir, env, width):
    """Runs jobs, at most width at a time, in the given order, until one fails or runs
    out of time: ('pass', None) or ('fail' / 'timeout', job), and the seconds each took."""
    pending = list(jobs)
    running = []
    took = {}
    try:
        while pending or running:
            while pending and len(running) < width:
                job = pending.pop(0)
                job.start(build_dir, env)
                running.append(job)
            time.sleep(0.05)
            if STOP:
                return "stopped", None, took
            now = time.monotonic()
            for job in list(running):
                rc = job.proc.poll()
                if rc is None:
                    if now - job.started > job.limit:
                        return "timeout", job, took
                    continue
                running.remove(job)
                took[job.label()] = now - job.started
                if rc != 0:
                    return "fail", job, took
        return "pass", None, took
    finally:
        for job in running:
            job.kill()


def folder_of(rel):
    return os.path.dirname(rel)


REPORT_LINE = re.compile(r"^(caught|survived|timeout|not built) +(\S+):\d+:\d+ (\w+) ")


def summary_lines(results):
    lines = []

    def one(label, rs):
        built = [r for r in rs if r != "not built"]
        caught = sum(1 for r in built if r in ("caught", "timeout"))
        timed = sum(1 for r in built if r == "timeout")
        share = 100.0 * caught / len(built) if built else 0.0
        return "%scaught %d of %d built mutations (%.1f%%); %d not built; %d timed out" % (
            label, caught, len(built), share, len(rs) - len(built), timed)

    lines.append(one("", [r for _s, r in results]))
    per = defaultdict(list)
    for site, r in results:
        per[folder_of(site[0])].append(r)
    for folder in sorted(per):
        lines.append(one("  %s: " % folder, per[folder]))
    ops = defaultdict(list)
    for site, r in results:
        ops[site[3]].append(r)
    for op in sorted(ops):
        lines.append(one("  %s: " % op, ops[op]))
    return lines


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("dirs", nargs="*", help="folders to mutate (default: %s, plus %s when present)"
                    % (" ".join(DEFAULT_DIRS), " ".join(OPTIONAL_DIRS)))
    ap.add_argument("--build-dir", default="build-mutation")
    ap.add_argument("--seed", type=int, default=11)
    ap.add_argument("--count", type=int, default=150)
    ap.add_argument("--list", action="store_true", help="print the sample and stop")
    ap.add_argument("--recheck", metavar="REPORT",
                    help="of the sample, run only the changes REPORT shows caught (or timed out)")
    ap.add_argument("--only", metavar="PREFIX", default="",
                    help="of the sample, run only the changes in files whose path starts so")
    ap.add_argument("--tests", default=",".join(DEFAULT_TESTS),
                    help="comma-separated test programs (default: %(default)s)")
    ap.add_argument("--report", default="mutation-report.txt")
    ap.add_argument("--summarize", metavar="REPORT",
                    help="print the summary of a report (also of an unfinished run) and stop")
    ap.add_argument("--time-factor", type=float, default=4.0,
                    help="a test process's time limit is this times its unchanged run")
    ap.add_argument("--min-limit", type=float, default=30.0, help="the shortest time limit, seconds")
    ap.add_argument("--jobs", type=int, default=os.cpu_count() or 1,
                    help="test processes run at once (default: the processors)")
    ap.add_argument("--shard-seconds", type=float, default=8.0,
                    help="slow test programs are cut into shards of about this many seconds")
    args = ap.parse_args()

    if args.summarize:
        with open(args.summarize, encoding="utf-8") as f:
            results = [((m.group(2), 0, 0, m.group(3), "", "", 0), m.group(1))
                       for m in map(REPORT_LINE.match, f) if m]
        print("\n".join(summary_lines(results)))
        return 0

    dirs = args.dirs or DEFAULT_DIRS + [d for d in OPTIONAL_DIRS if os.path.isdir(os.path.join(ROOT, d))]
    sites = all_sites(dirs)
    sample = pick_sample(sites, args.seed, args.count)
    if args.recheck:
        # A quick check after editing tests: were the changes caught before still caught?
        with open(args.recheck, encoding="utf-8") as f:
            wanted = {line.split(None, 1)[1].split(" [")[0].strip() for line in f
                      if line.startswith(("caught ", "timeout "))}
        sample = [s for s in sample if describe(s) in wanted]
    sample = [s for s in sample if s[0].startswith(args.only)]
    if args.list:
        counts = Counter(s[3] for s in sites)
        print("%d sites in %s (%s); sample of %d, seed %d" % (
            len(sites), " ".join(dirs), ", ".join("%s %d" % kv for kv in sorted(counts.items())),
            len(sample), args.seed))
        for s in sample:
            print(describe(s))
        return 0

    build_dir = os.path.abspath(os.path.join(ROOT, args.build_dir))
    tests = [t for t in args.tests.split(",") if t]
    targets = list(dict.fromkeys(tests + [h for t in tests for h in TEST_HELPERS.get(t, [])]))
    env = test_env(build_dir)
    status_before = git_status()
    for signum in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(signum, on_signal)

    configure(build_dir)
    ok, log = build(build_dir, targets)
    if ok is None:
        return 1
    if not ok:
        sys.stderr.write(log[-4000:] + "\nThe unchanged tree does not build.\n")
        return 2
    if STOP:
        return 1
    # Each program once alone: its time decides how many shards it is cut into, so that
    # the slow ones spread over the processors; then all shards together, as they will
    # run for every change, to set each one's time limit.
    shards = {}
    for name in tests:
        result, _job, took = run_jobs([Job(name, 0, 1)], build_dir, env, 1)
        if result == "stopped":
            return 1
        if result != "pass":
            sys.stderr.write("%s fails on the unchanged tree; no measurement possible.\n" % name)
            return 2
        secs = took[name]
        shards[name] = max(1, min(8, int(secs / args.shard_seconds + 0.5)))
        print("%s passes unchanged in %.1f s; %d shard(s)" % (name, secs, shards[name]), flush=True)
    jobs = [Job(name, k, shards[name]) for name in tests for k in range(shards[name])]
    result, job, took = run_jobs(jobs, build_dir, env, args.jobs)
    if result == "stopped":
        return 1
    if result != "pass":
        sys.stderr.write("%s fails when run beside the others.\n" % job.label())
        return 2
    for job in jobs:
        job.limit = max(args.min_limit, args.time_factor * took[job.label()])
    print("all shards together: %s" % ", ".join(
        "%s %.0f s (limit %.0f s)" % (j.label(), took[j.label()], j.limit) for j in jobs), flush=True)

    def order_for(rel):
        # Faster answers: the folder's own program first, then the longest first.
        own = "test_" + os.path.basename(folder_of(rel))
        return sorted(jobs, key=lambda j: (j.name != own, -j.limit))

    started = time.monotonic()
    results = []
    with open(args.report, "w", encoding="utf-8") as report:
        report.write("# seed %d, %d of %d sites in %s; tests %s\n" % (
            args.seed, len(sample), len(sites), " ".join(dirs), " ".join(tests)))
        report.flush()
        for n, site in enumerate(sample, 1):
            if STOP:
                break
            rel, _line, _col, _op, old, new, off = site
            path = os.path.join(ROOT, rel)
            t0 = time.monotonic()
            with open(path, "rb") as f:
                original = f.read()
            text = original.decode("utf-8", errors="surrogateescape")
            if text[off:off + len(old)] != old:
                sys.stderr.write("%s changed while measuring; stopping.\n" % rel)
                break
            mutated = text[:off] + new + text[off + len(old):]
            detail = ""
            try:
                with open(path, "wb") as f:
                    f.write(mutated.encode("utf-8", errors="surrogateescape"))
                ok, _log = build(build_dir, targets)
                if ok is None:
                    status = "stopped"
                elif not ok:
                    status = "not built"
                else:
                    result, job, _took = run_jobs(order_for(rel), build_dir, env, args.jobs)
                    status = {"pass": "survived", "fail": "caught", "timeout": "timeout",
                              "stopped": "stopped"}[result]
                    detail = job.label() if job is not None else ""
            finally:
                with open(path, "wb") as f:
                    f.write(original)
            if status == "stopped":
                break
            results.append((site, status))
            line = "%-9s %s%s" % (status, describe(site), (" [%s]" % detail) if detail else "")
            report.write(line + "\n")
            report.flush()
            built = [r for _s, r in results if r != "not built"]
            caught = sum(1 for r in built if r != "survived")
            print("[%d/%d %.0fs] %s | so far caught %d of %d built" % (
                n, len(sample), time.monotonic() - t0, line, caught, len(built)), flush=True)
        interrupted = bool(STOP)
        elapsed = time.monotonic() - started
        lines = summary_lines(results)
        lines.append("%d of %d mutations measured in %.0f s%s" % (
            len(results), len(sample), elapsed, " (interrupted)" if interrupted else ""))
        report.write("\n".join(lines) + "\n")
    print("\n".join(lines))
    if git_status() != status_before:
        sys.stderr.write("git status of src changed during the run:\n" + git_status())
        return 3
    return 1 if interrupted else 0


if __name__ == "__main__":
    sys.exit(main())
