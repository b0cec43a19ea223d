#!/usr/bin/python3
"""A keyboard-only round and a visit to the settings window, checked by what Orca says.

Run inside a display and a D-Bus session of its own (see CMakeLists.txt beside this file):
Orca, its speech server and a window manager get a home folder of their own, speech goes to
ALSA's null device, and Orca's debug output comes through a pseudo-terminal, which makes it
line-buffered, so that every utterance can be waited for as it is spoken.
"""
import os
import pathlib
import pty
import re
import signal
import subprocess
import sys
import tempfile
import threading
import time
import tty

# Orca refuses to start while another Orca of the same user runs, and it must never end one
# (--replace would), so as root it runs in a process namespace of its own, where it sees no
# other; everything started there ends with this script.
if os.geteuid() == 0 and "ZORVEX_OWN_PIDS" not in os.environ:
    os.environ["ZORVEX_OWN_PIDS"] = "1"
    os.execvp("unshare", ["unshare", "--pid", "--fork", "--mount-proc", "--kill-child",
                          sys.executable, *sys.argv])

WAIT_SECONDS = 60
zorvex = sys.argv[1]
started = []


class Speech:
    """What Orca has said so far, read from its debug output as it comes."""

    UTTERANCE = re.compile(r"SPEECH OUTPUT: '(.*?)'(?: voice=\S+)? ?\{.*\}$")

    def __init__(self, terminal):
        self.said = []
        self.changed = threading.Condition()
        threading.Thread(target=self._read, args=(terminal,), daemon=True).start()

    def _read(self, terminal):
        pending = b""
        while True:
            try:
                chunk = os.read(terminal, 65536)
            except OSError:
                return
            if not chunk:
                return
            *lines, pending = (pending + chunk).split(b"\n")
            for line in lines:
                found = self.UTTERANCE.search(line.decode("utf-8", "replace").rstrip("\r"))
                if found:
                    with self.changed:
                        self.said.append(found.group(1).strip())
                        self.changed.notify_all()

    def mark(self):
        with self.changed:
            return len(self.said)

    def wait_for(self, step, since, *phrases):
        """Waits until Orca has said every phrase (a text, or a pattern), in this order."""
        deadline = time.monotonic() + WAIT_SECONDS
        with self.changed:
            while True:
                heard = self.said[since:]
                missing = first_missing(heard, phrases)
                if missing is None:
                    return heard
                left = deadline - time.monotonic()
                if left <= 0:
                    sys.exit(f"FAIL {step}: Orca did not say {describe(missing)!r} "
                             f"(in order: {[describe(p) for p in phrases]});\n"
                             f"  it said: {heard}")
                self.changed.wait(left)


class Exactly:
    """An utterance that is this text and nothing else (Orca may end it with a period)."""

    def __init__(self, text):
        self.text = text

    def search(self, heard):
        return heard in (self.text, self.text + ".")

    def __repr__(self):
        return f"{self.text!r} alone"


def matches(phrase, heard):
    return phrase in heard if isinstance(phrase, str) else phrase.search(heard)


def describe(phrase):
    return phrase.pattern if isinstance(phrase, re.Pattern) else phrase


def first_missing(heard, phrases):
    at = 0
    for phrase in phrases:
        while at < len(heard) and not matches(phrase, heard[at]):
            at += 1
        if at == len(heard):
            return phrase
        at += 1
    return None


def start(command, **options):
    process = subprocess.Popen(command, **options)
    started.append(process)
    return process


def wait_until(what, ready):
    deadline = time.monotonic() + WAIT_SECONDS
    while not ready():
        if time.monotonic() > deadline:
            sys.exit(f"FAIL: {what} did not come up within {WAIT_SECONDS} s")
        time.sleep(0.1)


def private_folders(root):
    env = dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8")
    env.pop("LANGUAGE", None)
    env.pop("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", None)
    for variable, name in [("HOME", "home"), ("XDG_CONFIG_HOME", "config"),
                           ("XDG_DATA_HOME", "data"), ("XDG_CACHE_HOME", "cache"),
                           ("XDG_RUNTIME_DIR", "runtime")]:
        folder = root / name
        folder.mkdir(mode=0o700)
        env[variable] = str(folder)
    return env


def start_speech_server(root, env):
    # Real synthesis, sent to ALSA's null device: with no sound card the default output hangs.
    config = root / "config" / "speech-dispatcher"
    config.mkdir()
    (config / "speechd.conf").write_text(
        'AudioOutputMethod "alsa"\nAudioALSADevice "null"\n'
        'AddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"\nDefaultModule espeak-ng\n')
    socket = root / "runtime" / "speechd.sock"
    start(["speech-dispatcher", "--run-single", "--timeout", "0", "--log-level", "1",
           "--config-dir", str(config), "--communication-method", "unix_socket",
           "--socket-path", str(socket), "--log-dir", str(root / "cache")],
          env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_until("speech-dispatcher", socket.exists)
    return dict(env, SPEECHD_ADDRESS=f"unix_socket:{socket}")


def start_orca(env):
    reader, writer = pty.openpty()
    tty.setraw(writer)
    speech = Speech(reader)
    start(["orca", "--debug-file", os.ttyname(writer)], env=env,
          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    speech.wait_for("start of Orca", 0, "Screen reader on.")
    return speech


def start_window_manager(env):
    # Focus moves by keyboard and to each window as it opens, as on a desktop.
    (pathlib.Path(env["HOME"]) / ".jwmrc").write_text(
        '<?xml version="1.0"?><JWM><FocusModel>click</FocusModel></JWM>\n')
    start(["jwm"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def keys(*names):
    subprocess.run(["xdotool", "key", "--delay", "100", *names], check=True)


def main():
    with tempfile.TemporaryDirectory(prefix="zorvex-orca-") as scratch:
        root = pathlib.Path(scratch)
        env = private_folders(root)
        start_window_manager(env)
        speech = start_orca(start_speech_server(root, env))

        data = root / "training"
        data.mkdir()
        (data / "項目一覧.txt").write_bytes(
            '"腹筋",1\r\n"腕立て",1\r\n"背筋",1\r\n'.encode("cp932"))
        (data / "腹筋.txt").write_bytes('"12月01日","07時12分03秒",14\r\n'.encode("cp932"))
        start([zorvex], cwd=data, env=env)

        def step(name, presses, *phrases):
            since = speech.mark()
            if presses:
                keys(*presses)
            heard = speech.wait_for(name, since, *phrases)
            print(f"{name}: {heard}")
            return heard

        step("the round starts", [], "Zorvex", "次へ push button", "項目 腹筋、提案回数 1")
        step("Shift+Tab to the count box", ["shift+Tab"], "回数 text", Exactly("1 selected"))
        step("an empty count and Enter", ["BackSpace", "Return"],
             "確認", "回数ゼロで次へ進もうとしていますがよろしいいですか？")
        step("Escape answers Cancel", ["Escape"], "回数 text")
        typed = step("18 and Enter", ["1", "8", "Return"],
                     Exactly("1"), Exactly("8"), "次へ push button", "項目 腕立て、提案回数 1")
        if "0" in typed:
            sys.exit(f"FAIL 18 and Enter: Orca read out a count of 0 nobody chose: {typed}")
        step("Space on Next", ["space"], "終わり push button", "最後の項目 背筋、提案回数 1")
        step("Enter on the last item", ["Return"],
             "Zorvex", "開始 push button", "最後のセットを記録しました。設定画面です。")

        step("Shift+Tab to the history", ["shift+Tab"], "実績履歴", "合計回数 ： 32")
        step("the first Down in the history", ["Down"], "1 _ 12月01日 _ 07時12分03秒 _ 14")
        step("the next Down", ["Down"],
             re.compile(r"^2 _ \d\d月\d\d日 _ \d\d時\d\d分\d\d秒 _ 18\.?$"))
        step("Shift+Tab to the empty name box", ["shift+Tab"], "項目名 text")
        step("Shift+Tab to the empty target box", ["shift+Tab"], "指示数 text")
        step("Shift+Tab to the item list", ["shift+Tab"], "登録項目")
        step("the first Down in the item list", ["Down"], "腹筋")
        step("Tab to the target box", ["Tab"], "指示数 text", Exactly("1 selected"))
        step("Tab to the name box", ["Tab"], "項目名 text", Exactly("腹筋 selected"))
    print("Orca spoke the round and the settings window as expected.")


try:
    main()
finally:
    for process in reversed(started):
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
