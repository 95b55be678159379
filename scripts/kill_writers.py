#!/usr/bin/env python3
# kill -9 at a random moment in every tessary-cli writer, then looks at what was left: corrupt rings, lost keys (a
# ring that is neither the one before nor the one after the command), leftover files, and lock-outs (the next
# writer of the same file refused).
#   scripts/kill_writers.py [KILLS] [UPDATE-SCRIPT-URL]     (CLI=... chooses the tool; the URL adds update-check)
import os, random, signal, subprocess, sys, tempfile, time, collections
CLI = os.environ.get("CLI", os.path.join(os.path.dirname(__file__), "..", "build", "src", "cli", "tessary-cli"))
URL = sys.argv[2] if len(sys.argv) > 2 else None
TARGET = int(sys.argv[1]) if len(sys.argv) > 1 else 350
D = tempfile.mkdtemp()
random.seed(17)

def run(args, inp=b"pw\n"):
    p = subprocess.run([CLI, "--dir", D] + args, input=inp, capture_output=True)
    return p.returncode, p.stdout.decode(errors="replace"), p.stderr.decode(errors="replace")

def keys(user="Ann"):
    rc, out, err = run(["ls", user])
    return rc, frozenset(l.split("\t")[0] for l in out.splitlines()), err

assert run(["create-user", "Ann"])[0] == 0
for i in range(20):
    assert run(["add", "Ann", f"k{i}", "--notes", "n" * 250], b"pw\nsecret\n")[0] == 0
assert run(["export", "Ann"])[0] == 0

stats = collections.Counter({"corrupt or unreadable Ann.keyRing": 0, "lost keys (neither before nor after)": 0,
                             "corrupt or stale export": 0, "user list lost a user": 0, "corrupt new ring": 0,
                             "partial history.dat": 0, "empty history.dat": 0, "lock-outs": 0})
per_writer = collections.Counter()
leftover_names = set(); lock_leftovers = 0
state = keys()[1]; export_states = {state}
users = {"Ann"}; n = 0; kills = 0
writers = ["add", "edit", "rename", "rm", "export", "create-user"] + (["update-check"] if URL else [])
while kills < TARGET:
    n += 1
    w = writers[n % len(writers)]
    names = sorted(state)
    if w == "add":
        args, inp, after = ["add", "Ann", f"a{n}", "--notes", "x" * 250], b"pw\nsecret\n", state | {f"a{n}"}
    elif w == "edit":
        k = random.choice(names); args, inp, after = ["edit", "Ann", k, "--url", f"example.org/{n}"], b"pw\n", state
    elif w == "rename":
        k = random.choice(names); args, inp, after = ["rename", "Ann", k, f"r{n}"], b"pw\n", (state - {k}) | {f"r{n}"}
    elif w == "rm":
        k = random.choice(names); args, inp, after = ["rm", "Ann", k], b"pw\n", state - {k}
    elif w == "export":
        args, inp, after = ["export", "Ann"], b"pw\n", state
    elif w == "create-user":
        args, inp, after = ["create-user", f"u{n}"], b"pw\n", state
    else:
        args, inp, after = ["update-check", URL], b"", state
    p = subprocess.Popen([CLI, "--dir", D] + args, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    p.stdin.write(inp); p.stdin.flush()
    time.sleep(random.uniform(0, 0.02 if w != "update-check" else 0.03))
    if p.poll() is None:
        os.kill(p.pid, signal.SIGKILL); kills += 1; per_writer[w] += 1; killed = True
    else:
        killed = False
    p.wait()
    # What was left
    rc, now, err = keys()
    if rc != 0 or err:
        stats["corrupt or unreadable Ann.keyRing"] += 1; print("corrupt:", w, rc, err.strip()[:200]); break
    if now == state: stats["not applied"] += 1
    elif now == after: stats["applied"] += 1
    else:
        stats["lost keys (neither before nor after)"] += 1; print("LOST", w, sorted(state ^ now)[:10])
    state = now
    if w == "export":
        rc2, exp, err2 = keys("tessary")
        if rc2 != 0 or err2 or exp not in export_states | {now}:
            stats["corrupt or stale export"] += 1; print("export:", rc2, err2[:200])
        export_states.add(exp)
    if w == "create-user":
        rc3, out3, err3 = run(["users"], b"")
        listed = set(out3.split())
        if rc3 != 0 or not users <= listed:
            stats["user list lost a user"] += 1; print("users:", rc3, err3[:200])
        u = f"u{n}"
        if u in listed:
            users.add(u)
            if os.path.exists(f"{D}/{u}.keyRing") and run(["check", f"{u}.keyRing"], b"")[0] != 0:
                stats["corrupt new ring"] += 1
            if not os.path.exists(f"{D}/{u}.keyRing"):
                stats["listed, ring not yet made (made at first login)"] += 1
    if w == "update-check" and os.path.exists(f"{D}/history.dat"):
        h = open(f"{D}/history.dat", "rb").read()
        if h not in (b"", ) and not h.endswith(b"\r\n"):
            stats["partial history.dat"] += 1
        if h == b"": stats["empty history.dat"] += 1
    for f in os.listdir(D):
        if f.startswith(".tessary-saving-"): leftover_names.add(f)
    # Lock-out: the next writer of the same file must get its lock at once
    if w in ("add", "edit", "rename", "rm"):
        rc4, _, e4 = run(["add", "Ann", f"probe{n}"], b"pw\nx\n")
        ok = rc4 == 0 and run(["rm", "Ann", f"probe{n}"])[0] == 0
    elif w == "export":
        rc4, _, e4 = run(["export", "Ann"]); ok = rc4 == 0
        export_states.add(keys("tessary")[1])
    elif w == "create-user":
        rc4, _, e4 = run(["create-user", f"p{n}"]); ok = rc4 == 0; users.add(f"p{n}")
    else:
        rc4, _, e4 = run(["update-check", URL], b""); ok = rc4 == 0
    if not ok:
        stats["lock-outs"] += 1; print("lock-out after", w, e4.strip()[:200])
    if killed: stats["kills"] += 1
print("folder:", D)
print("writers run:", n, "kills by writer:", dict(per_writer))
for k, v in sorted(stats.items()): print(f"  {k}: {v}")
print("  leftover .tessary-saving- files seen:", len(leftover_names), "(still there:", sum(1 for f in os.listdir(D) if f.startswith('.tessary-saving-')), ")")
print("  lock files left at the end:", sorted(f for f in os.listdir(D) if f.endswith(".lock"))[:8], sum(1 for f in os.listdir(D) if f.endswith(".lock")))
print("  keys in Ann's ring at the end:", len(state), "users listed:", len(users))
