# A script in another process drives the program over the session bus, as a farmer's script would.
import os
import subprocess
import sys
import time

import dbus

NAME = "net.velmora.Dedov"
ROOT = "/net/velmora/Dedov/Application"
IFACE = "net.velmora.Dedov.Dispatch"
METHOD, GET, PUT = dbus.UInt16(1), dbus.UInt16(2), dbus.UInt16(4)


class Obj:
    """One automation object on the bus, called by member name."""

    def __init__(self, bus, path):
        self.path = path
        self.proxy = dbus.Interface(bus.get_object(NAME, path, introspect=False), IFACE)

    def get(self, name, *args):
        return self.proxy.InvokeByName(name, GET, dbus.Array(args, signature="v"), timeout=60)

    def put(self, name, value):
        self.proxy.InvokeByName(name, PUT, dbus.Array([value], signature="v"), timeout=60)

    def call(self, name, *args):
        return self.proxy.InvokeByName(name, METHOD, dbus.Array(args, signature="v"), timeout=60)

    def obj(self, name, *args, flags=GET):
        path = self.proxy.InvokeByName(name, flags, dbus.Array(args, signature="v"), timeout=60)
        return Obj(BUS, str(path))


def check(cond, what):
    if not cond:
        print("FAILED:", what)
        sys.exit(1)


def error_of(fn):
    try:
        fn()
    except dbus.DBusException as e:
        return e.get_dbus_name(), e.get_dbus_message()
    return None, None


def wait_gone():
    driver = dbus.Interface(BUS.get_object("org.freedesktop.DBus", "/org/freedesktop/DBus"), "org.freedesktop.DBus")
    for _ in range(300):
        if not driver.NameHasOwner(NAME):
            return True
        time.sleep(0.1)
    return False


BUS = dbus.SessionBus()
flock = sys.argv[1]
before = os.path.getmtime(flock)

# The first call starts the program for automation: hidden, not the user's.
app = Obj(BUS, ROOT)
check(str(app.get("Caption")) == "Corvalen", "Caption")
check(str(app.get("Name")) == "Corvalen", "Name")
check(not bool(app.get("Visible")), "hidden at an automation start")
check(not bool(app.get("UserControl")), "no user control")
check(int(app.get("DecimalPrecision")) == 2, "DecimalPrecision")
name, message = error_of(lambda: app.put("DecimalPrecision", dbus.Int16(7)))
check(name == "net.velmora.Dedov.Error.E80070057", "DecimalPrecision 7 refused: %s" % name)
check("HRESULT=0x80070057" in message, "the error's HRESULT")
check(int(app.get("DecimalPrecision")) == 2, "DecimalPrecision kept")
check(app.obj("ActiveWindow").path == "/", "no window: Nothing")

documents = app.obj("Documents")
doc = documents.obj("Open", flock, flags=METHOD)
check(doc.path != "/", "Documents.Open")
check(app.obj("ActiveDocument").path == doc.path, "ActiveDocument is the opened flock")
records = doc.obj("Records")
count = int(records.get("Count"))
check(count > 0, "the flock has animals")
sheep = records.obj("Item", dbus.Int16(0), flags=METHOD)
tattoo = str(sheep.get("Tattoo"))
sheep.put("Name", "Blossom")
events = sheep.obj("Events")
weighings = int(events.get("Count"))
events.obj("Add", 46000.0, "Weighed", dbus.Array(["123.5"], signature="s"), flags=METHOD)
check(int(events.get("Count")) == weighings + 1, "the event was added")
doc.call("Save")
check(os.path.getmtime(flock) != before, "the file was written")
check(bool(doc.get("Saved")), "the document is saved")
app.put("Visible", True)
check(bool(app.get("Visible")), "Visible")

# A script that dies holding an object gives it back: another script can no longer reach it.
child = subprocess.run(
    [sys.executable, "-c",
     "import dbus, os, sys\n"
     "b = dbus.SessionBus()\n"
     "a = dbus.Interface(b.get_object('%s', '%s', introspect=False), '%s')\n"
     "p = a.InvokeByName('Breeds', dbus.UInt16(2), dbus.Array([], signature='v'))\n"
     "print(p); sys.stdout.flush(); os._exit(3)\n" % (NAME, ROOT, IFACE)],
    capture_output=True, text=True)
breeds_path = child.stdout.strip()
check(breeds_path.startswith("/net/velmora/Dedov/Object/"), "the child got Breeds: %r" % child.stdout)
time.sleep(0.5)
name, _ = error_of(lambda: Obj(BUS, breeds_path).get("Count"))
check(name is not None and name.startswith("org.freedesktop.DBus.Error.Unknown"), "released on the child's exit: %s" % name)

documents.call("Close")
app.call("Quit")
check(wait_gone(), "Quit ends the program")

# Started again: the saved file holds the change.
app = Obj(BUS, ROOT)
doc = app.obj("Documents").obj("Open", flock, flags=METHOD)
sheep = doc.obj("Records").obj("Item", tattoo, flags=METHOD)
check(str(sheep.get("Name")) == "Blossom", "the changed name was saved")
check(int(sheep.obj("Events").get("Count")) == weighings + 1, "the event was saved")

# An automation start that nobody took over ends when its last script lets go.
app.proxy.Release()
check(wait_gone(), "the last release ends an automation start")
print("ok")
