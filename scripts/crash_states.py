#!/usr/bin/env python3
"""Replays the states a power cut can leave the data folder in, in the way of the ALICE study
(OSDI 2014), and reads each with the program's own readers.

For every command it sets up a folder, runs the command in the real windows under strace
(crash_tool act), and takes the writes to the folder from the trace: creations, writes,
truncations, links, renames, removals and the syncs between them. A crash state is a prefix of
these operations, where each write that no later sync in the prefix covers persisted fully, in
part (cut at a few points, or its length only, as zeros, as delayed allocation leaves it) or not
at all, and the changes of names that no folder sync covers persisted up to some point, in order.
Every state is read (crash_tool load) and must keep each file as it was before the command or
as the command left it: the list readable, no item or record lost, altered or made up, and, once
the window showed the command as done, the command's result whole. The one tolerated difference
is a history that ends in the unsynced record cut short, before the window showed it.
"""
import os
import re
import shutil
import subprocess
import sys
from dataclasses import dataclass, field

MARK = "/nonexistent-zorvex-mark/"
LIST = "項目一覧.txt"


def cp(text):
    return text.encode("cp932")


def records(*counts, start=0):
    return b"".join(cp('"12月30日","23時%02d分%02d秒",%d\r\n' % (i // 60 % 60, i % 60, c))
                    for i, c in enumerate(counts, start))


TWO = cp('"腹筋",10\r\n"背筋",5\r\n')
# A history whose next record crosses the 4 KiB page boundary between the digits of its count.
LONG = records(*[10] * 143) + records(100, start=143)
LONG += b" " * (4096 - 27 - len(LONG) - 2) + b"\r\n"


@dataclass
class Scenario:
    name: str
    files: dict
    act: list
    also: list = field(default_factory=list)  # histories to read whose item may be gone


SCENARIOS = [
    Scenario("Next, existing history", {LIST: TWO, "腹筋.txt": records(12, 8)}, ["next", "12"]),
    Scenario("Next, history of 4 KiB or more", {LIST: TWO, "腹筋.txt": LONG}, ["next", "12"]),
    Scenario("Next, last line without its end", {LIST: TWO, "腹筋.txt": records(12)[:-2]},
             ["next", "6"]),
    Scenario("Next, first record", {LIST: TWO}, ["next", "6"]),
    Scenario("登録, empty folder", {}, ["register", "腹筋", "10"]),
    Scenario("登録, existing list", {LIST: TWO, "腹筋.txt": records(12)},
             ["register", "懸垂", "3"]),
    Scenario("保存", {LIST: TWO, "腹筋.txt": records(12)}, ["save", "0", "12"]),
    Scenario("クリア", {LIST: TWO, "腹筋.txt": records(12, 8, 10)}, ["clear", "0"]),
    Scenario("削除", {LIST: TWO, "背筋.txt": records(5, 4)}, ["delete", "1"], also=["背筋"]),
]

# --- the trace ----------------------------------------------------------------------------

LINE = re.compile(r"^(\d+)\s+(.*)$")
CALL = re.compile(r"^(\w+)\((.*)\)\s+=\s+(-?\w+)")


def split_args(text):
    args, depth, quoted, cur = [], 0, False, ""
    for ch in text:
        if quoted:
            cur += ch
            quoted = ch != '"'
            continue
        if ch == '"':
            quoted = True
        elif ch in "[{(":
            depth += 1
        elif ch in "]})":
            depth -= 1
        elif ch == "," and depth == 0:
            args.append(cur.strip())
            cur = ""
            continue
        cur += ch
    if cur.strip():
        args.append(cur.strip())
    return args


def unquote(arg):
    """The bytes of a string argument printed with -xx."""
    body = arg.split('"')[1] if arg.startswith('"') else ""
    return bytes(int(h, 16) for h in re.findall(r"\\x([0-9a-f]{2})", body))


def calls(trace_file):
    """(name, args, result) of each finished call, resumed calls joined."""
    pending = {}
    with open(trace_file, encoding="latin-1") as f:
        for raw in f:
            m = LINE.match(raw.rstrip("\n"))
            if not m:
                continue
            pid, text = m.groups()
            if text.endswith("<unfinished ...>"):
                pending[pid] = text[: -len("<unfinished ...>")].rstrip()
                continue
            r = re.match(r"^<\.\.\. \w+ resumed>(.*)$", text)
            if r:
                text = pending.pop(pid, "") + r.group(1)
            c = CALL.match(text)
            if c:
                yield c.group(1), split_args(c.group(2)), c.group(3)


@dataclass
class Op:
    kind: str  # create write trunc sync dirsync link rename unlink
    ino: int = -1
    name: str = ""
    to: str = ""
    off: int = 0
    data: bytes = b""

    def describe(self, names):
        owner = names.get(self.ino, "a new file")
        if self.kind == "write":
            return "write %d bytes at %d to %s" % (len(self.data), self.off, owner)
        if self.kind == "trunc":
            return "cut %s to %d bytes" % (owner, self.off)
        if self.kind == "sync":
            return "sync %s" % owner
        if self.kind == "dirsync":
            return "sync the folder"
        if self.kind == "rename":
            return "rename %s to %s" % (self.name, self.to)
        return "%s %s" % (self.kind, self.name)


def operations(trace_file, folder, initial):
    """The command's writes to the folder, and how many came before the window showed it done."""
    names = {n: i for i, n in enumerate(sorted(initial))}
    size = {i: len(initial[n]) for n, i in names.items()}
    fds, pos, appending = {}, {}, set()
    ops, begun, shown, next_ino = [], False, None, len(names)

    def local(path):
        path = path.decode("utf-8", "surrogateescape")
        if path in (".", folder):
            return "."
        if path.startswith(folder + "/"):
            path = path[len(folder) + 1:]
        return None if path.startswith("/") or "/" in path else path

    for name, args, result in calls(trace_file):
        if name in ("access", "faccessat", "faccessat2"):
            path = unquote(args[1] if name != "access" else args[0]).decode("utf-8", "replace")
            if path.startswith(MARK):
                begun = begun or path.endswith("begin")
                if path.endswith("shown"):
                    shown = len(ops)
            continue
        if name in ("open", "openat", "creat"):
            if result.startswith("-"):
                continue
            path = local(unquote(args[1] if name == "openat" else args[0]))
            flags = args[2] if name == "openat" else args[1]
            fd = int(result)
            if path is None:
                fds.pop(fd, None)
                continue
            if path == "." and "O_TMPFILE" not in flags:
                fds[fd] = "dir"
                continue
            if "O_TMPFILE" in flags:
                ino, next_ino = next_ino, next_ino + 1
                size[ino] = 0
            elif path in names:
                ino = names[path]
            else:
                ino, next_ino = next_ino, next_ino + 1
                names[path], size[ino] = ino, 0
                if begun:
                    ops.append(Op("create", ino, path))
            fds[fd], pos[fd] = ino, 0
            (appending.add if "O_APPEND" in flags else appending.discard)(fd)
            if "O_TRUNC" in flags and size[ino] and begun:
                ops.append(Op("trunc", ino, off=0))
                size[ino] = 0
            continue
        if result.startswith("-") or not begun and name not in ("close", "lseek"):
            continue
        if name == "close":
            fds.pop(int(args[0]), None)
            continue
        fd = int(args[0]) if args and args[0].isdigit() else None
        ino = fds.get(fd)
        if name == "lseek" and ino is not None:
            pos[fd] = int(result)
        elif name in ("write", "pwrite64") and isinstance(ino, int):
            data = unquote(args[1])[: int(result)]
            off = int(args[3]) if name == "pwrite64" else (
                size[ino] if fd in appending else pos[fd])
            ops.append(Op("write", ino, off=off, data=data))
            size[ino] = max(size[ino], off + len(data))
            if name == "write":
                pos[fd] = off + len(data)
        elif name == "ftruncate" and isinstance(ino, int):
            ops.append(Op("trunc", ino, off=int(args[1])))
            size[ino] = int(args[1])
        elif name in ("fsync", "fdatasync") and ino is not None:
            ops.append(Op("dirsync") if ino == "dir" else Op("sync", ino))
        elif name == "linkat":
            target = unquote(args[1]).decode()
            new = local(unquote(args[3]))
            m = re.match(r"/proc/self/fd/(\d+)$", target)
            if new and m and isinstance(fds.get(int(m.group(1))), int):
                names[new] = fds[int(m.group(1))]
                ops.append(Op("link", names[new], new))
        elif name in ("rename", "renameat", "renameat2"):
            a, b = (args[0], args[1]) if name == "rename" else (args[1], args[3])
            a, b = local(unquote(a)), local(unquote(b))
            if a and b and a in names:
                names[b] = names.pop(a)
                ops.append(Op("rename", name=a, to=b))
        elif name in ("unlink", "unlinkat"):
            gone = local(unquote(args[0] if name == "unlink" else args[1]))
            if gone in names:
                del names[gone]
                ops.append(Op("unlink", name=gone))
    return ops, shown


# --- crash states -------------------------------------------------------------------------

def apply(initial, ops, choice):
    """The folder after ops, each op done as choice(i) says: full, skip, ("cut", n) or zero."""
    inodes = {i: bytearray(initial[n]) for i, n in enumerate(sorted(initial))}
    names = {n: i for i, n in enumerate(sorted(initial))}
    for i, op in enumerate(ops):
        how = choice(i)
        if how == "skip":
            continue
        data = op.data
        if isinstance(how, tuple):
            data = data[: how[1]]
        elif how == "zero":
            data = bytes(len(data))
        content = inodes.setdefault(op.ino, bytearray())
        if op.kind == "write":
            if len(content) < op.off:
                content.extend(bytes(op.off - len(content)))
            content[op.off: op.off + len(data)] = data
        elif op.kind == "trunc":
            del content[op.off:]
        elif op.kind in ("create", "link"):
            names[op.name] = op.ino
        elif op.kind == "rename" and op.name in names:
            names[op.to] = names.pop(op.name)
        elif op.kind == "unlink":
            names.pop(op.name, None)
    return {n: bytes(inodes.get(i, b"")) for n, i in names.items()}


def pending(ops, k):
    """The ops of the prefix of length k that no later sync within it makes durable."""
    out = []
    for i in range(k):
        op = ops[i]
        if op.kind in ("sync", "dirsync"):
            continue
        meta = op.kind in ("create", "link", "rename", "unlink")
        covered = any(o.kind == "dirsync" if meta else (o.kind == "sync" and o.ino == op.ino)
                      for o in ops[i + 1: k])
        if not covered:
            out.append(i)
    return out


def crash_states(initial, ops):
    """(prefix length, what each unsynced op did, folder) of each distinct state."""
    seen = {}
    for k in range(len(ops) + 1):
        waiting = pending(ops, k)
        meta = [i for i in waiting if ops[i].kind not in ("write", "trunc")]
        data = [i for i in waiting if i not in meta]
        variants = [{}, {i: "skip" for i in data}]
        for i in data:
            variants.append({i: "skip"})
            variants.append({j: "skip" for j in data if j != i})
            if ops[i].kind == "write":
                # A record is cut at every byte; a longer write at every sixteenth of it.
                n = len(ops[i].data)
                cuts = set(range(1, n, max(1, n // 16) if n > 64 else 1))
                cuts |= {n - 2, n - 1, 4096 - ops[i].off % 4096}
                for cut in sorted(c for c in cuts if 0 < c < n):
                    variants.append({i: ("cut", cut)})
                variants.append({i: "zero"})
        for done in range(len(meta) + 1):
            undone = {i: "skip" for i in meta[done:]}
            for v in variants:
                how = {**v, **undone}
                folder = apply(initial, ops[:k], lambda i: how.get(i, "full"))
                # The same state reached again later must meet the rules of the later crash.
                seen[tuple(sorted(folder.items()))] = (k, how, folder)
    return list(seen.values())


# --- reading and the rules ----------------------------------------------------------------

def load(tool, folders, also):
    args = [tool, "load"] + sum((["--also", a] for a in also), []) + folders
    text = subprocess.run(args, check=True, capture_output=True, text=True,
                          env={**os.environ, "QT_QPA_PLATFORM": "offscreen"}).stdout
    readings, cur = {}, None
    for line in text.splitlines():
        if line.startswith("folder "):
            cur = readings.setdefault(line[7:], [])
        else:
            cur.append(line)
    return [readings[f] for f in folders]


def by_file(reading):
    """The reading per file: the list's lines, and each history's."""
    files = {}
    for line in reading:
        parts = line.split()
        key = LIST if parts[0] in ("list", "item") else bytes.fromhex(parts[1]).decode() + ".txt"
        files.setdefault(key, []).append(line)
    return files


def write_folder(path, files):
    os.makedirs(path)
    for n, b in files.items():
        with open(os.path.join(path, n), "wb") as f:
            f.write(b)


def run(tool, work, scenario, out):
    folder = os.path.join(work, "run")
    shutil.rmtree(work, ignore_errors=True)
    write_folder(folder, scenario.files)
    trace = os.path.join(work, "trace")
    calls_traced = ("access,faccessat,faccessat2,open,openat,creat,close,lseek,write,pwrite64,"
                    "ftruncate,fsync,fdatasync,link,linkat,rename,renameat,renameat2,"
                    "unlink,unlinkat")
    subprocess.run(["strace", "-f", "-qq", "-xx", "-s", "1000000", "-o", trace,
                    "-e", "trace=" + calls_traced, tool, "act"] + scenario.act,
                   cwd=folder, check=True)
    real = {n: open(os.path.join(folder, n), "rb").read() for n in os.listdir(folder)}
    ops, shown = operations(trace, os.path.realpath(folder), scenario.files)
    if shown is None or apply(scenario.files, ops, lambda i: "full") != real:
        sys.exit("crash-states: the trace of %s does not give the folder it left" % scenario.name)
    states = crash_states(scenario.files, ops)
    paths = []
    for n, (_, _, files) in enumerate(states):
        paths.append(os.path.join(work, "state%d" % n))
        write_folder(paths[-1], files)
    write_folder(os.path.join(work, "before"), scenario.files)
    before, after, *readings = load(tool, [os.path.join(work, "before"), folder] + paths,
                                    scenario.also)
    before, after = by_file(before), by_file(after)
    broken, cut = [], 0
    for (k, how, files), reading in zip(states, readings):
        now = by_file(reading)
        # A crash after the last operation may come after the window showed the command done.
        done = k >= shown
        bad = []
        for name in sorted(set(before) | set(after) | set(now)):
            got, old, new = now.get(name, []), before.get(name, []), after.get(name, [])
            if any(line.endswith("unreadable") for line in got):
                bad.append("%s unreadable" % name)
            elif got == new or (got == old and not done):
                continue
            elif (not done and got[:-1] == old and len(got) == len(old) + 1
                  and name != LIST and cut_short(files, scenario, real, name)):
                cut += 1
            else:
                bad.append("%s reads as %d lines of items or records: %d before the command, %d after it" %
                           (name, len(got), len(old), len(new)))
        if bad:
            broken.append((k, how, bad))
    out.append((scenario, ops, len(states), broken, cut))


def cut_short(files, scenario, real, name):
    """Whether the history ends in the new record cut short: bytes of its own, never garbage."""
    got, old, new = files.get(name, b""), scenario.files.get(name, b""), real.get(name, b"")
    return got.startswith(old) and new.startswith(got) and got != new


def main():
    tool, work = sys.argv[1], sys.argv[2]
    results = []
    for n, scenario in enumerate(SCENARIOS):
        run(tool, os.path.join(work, "s%d" % n), scenario, results)
    total = sum(r[2] for r in results)
    broken = sum(len(r[3]) for r in results)
    for scenario, ops, states, bad, cut in results:
        print("%-34s %3d operations %4d crash states %4d broken %3d cut short" %
              (scenario.name, len(ops), states, len(bad), cut))
    print("crash states: %d, broken: %d, the unshown record cut short: %d" %
          (total, broken, sum(r[4] for r in results)))
    if broken and os.environ.get("CRASH_STATES_ALL"):
        for scenario, ops, _, bad, _ in results:
            for k, how, lines in bad:
                print("%s, %d operations, %s: %s" % (scenario.name, k, how, "; ".join(lines)))
    if broken:
        k, how, bad, scenario, ops = min(
            ((b[0], b[1], b[2], r[0], r[1]) for r in results for b in r[3]),
            key=lambda b: (b[0], len(b[1])))
        names = dict(enumerate(sorted(scenario.files)))
        names.update((op.ino, op.name) for op in ops if op.kind == "create")
        print("smallest failing state (%s), a crash after:" % scenario.name)
        for i in range(k):
            state = how.get(i, "persisted")
            if ops[i].kind in ("sync", "dirsync"):
                state = "done"
            elif state == "zero":
                state = "only its length on disk (zeros)"
            elif isinstance(state, tuple):
                state = "only its first %d bytes on disk" % state[1]
            elif state == "skip":
                state = "not on disk"
            print("  %s: %s" % (ops[i].describe(names), state))
        for line in bad:
            print("  -> " + line)
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main())
