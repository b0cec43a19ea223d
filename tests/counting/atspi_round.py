import pathlib, subprocess, sys, tempfile, time
from pyatspi import Registry, findDescendant as find
from gi.repository import GLib

with tempfile.TemporaryDirectory() as folder:
    pathlib.Path(folder, "項目一覧.txt").write_bytes('"腹筋",1\r\n"腕立て",1\r\n'.encode("cp932"))
    app, deadline, item = subprocess.Popen([sys.argv[1]], cwd=folder), time.monotonic() + 30, None
    while not item and time.monotonic() < deadline:
        time.sleep(0.2)
        item = find(Registry.getDesktop(0), lambda a: a.description == "現在の項目")
    assert item and item.name == "腹筋", "the item not read at start"

    heard, wanted = set(), {("現在の項目", "腕立て"), ("指示回数", "1"), ("", "終わり"), ("実施中", "2.腕立て")}
    def hear(event):
        heard.add((event.source.description, event.source.name))
        if wanted <= heard: Registry.stop()
    Registry.registerEventListener(hear, "object:property-change:accessible-name",
                                   "object:property-change:accessible-description")
    GLib.timeout_add_seconds(20, Registry.stop)
    press = find(item.parent, lambda a: a.name == "次へ").queryAction()
    GLib.idle_add(lambda: press.doAction(0) and False)  # once, inside the loop
    Registry.start()
    app.kill()  # on a failure, the program ends with its display
    assert wanted <= heard, heard
