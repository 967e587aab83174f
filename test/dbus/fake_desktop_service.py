#!/usr/bin/python3
"""Stands in for the desktop portal and the file manager on a private test bus.

Owns org.freedesktop.portal.Desktop and org.freedesktop.FileManager1, serves OpenURI.OpenFile
and FileManager1.ShowItemProperties, and appends one JSON line per call to the record file:
the destination, path, interface, method, signature and arguments as received, plus what each
passed file descriptor refers to. With --print-ready, prints "ready" once it owns both names.

  --address A    bus to use (default: DBUS_STARTER_ADDRESS, as bus activation sets it)
  --record F     file to append the calls to
  --silent       take every call but never reply
  --delay-ms N   wait this long before taking the names, like a service slow to start
  --print-ready  say "ready" on stdout once both names are owned
"""
import argparse
import fcntl
import json
import os
import sys
import time

from gi.repository import Gio, GLib

INTERFACES = Gio.DBusNodeInfo.new_for_xml("""
<node>
  <interface name="org.freedesktop.portal.OpenURI">
    <method name="OpenFile">
      <arg type="s" name="parent_window" direction="in"/>
      <arg type="h" name="fd" direction="in"/>
      <arg type="a{sv}" name="options" direction="in"/>
      <arg type="o" name="handle" direction="out"/>
    </method>
  </interface>
  <interface name="org.freedesktop.FileManager1">
    <method name="ShowItemProperties">
      <arg type="as" name="uris" direction="in"/>
      <arg type="s" name="startup_id" direction="in"/>
    </method>
  </interface>
</node>
""")

NAMES = ("org.freedesktop.portal.Desktop", "org.freedesktop.FileManager1")
OBJECTS = (("/org/freedesktop/portal/desktop", "org.freedesktop.portal.OpenURI"),
           ("/org/freedesktop/FileManager1", "org.freedesktop.FileManager1"))


def describe_fds(message):
    fd_list = message.get_unix_fd_list()
    described = []
    for index in range(fd_list.get_length() if fd_list else 0):
        fd = fd_list.get(index)
        try:
            described.append({
                "target": os.readlink("/proc/self/fd/%d" % fd),
                "o_path": bool(fcntl.fcntl(fd, fcntl.F_GETFL) & os.O_PATH),
            })
        finally:
            os.close(fd)
    return described


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--address", default=os.environ.get("DBUS_STARTER_ADDRESS"))
    parser.add_argument("--record", required=True)
    parser.add_argument("--silent", action="store_true")
    parser.add_argument("--delay-ms", type=int, default=0)
    parser.add_argument("--print-ready", action="store_true")
    options = parser.parse_args()

    time.sleep(options.delay_ms / 1000)
    connection = Gio.DBusConnection.new_for_address_sync(
        options.address,
        Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
        | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
    unanswered = []

    def on_call(connection, sender, path, interface, method, parameters, invocation):
        message = invocation.get_message()
        entry = {
            "destination": message.get_destination(),
            "path": path,
            "interface": interface,
            "method": method,
            "signature": message.get_signature(),
            "args": parameters.unpack(),
            "fds": describe_fds(message),
        }
        with open(options.record, "a", encoding="utf-8") as record:
            record.write(json.dumps(entry, ensure_ascii=False) + "\n")
        if options.silent:
            unanswered.append(invocation)
        elif method == "OpenFile":
            invocation.return_value(
                GLib.Variant("(o)", ("/org/freedesktop/portal/desktop/request/1/t",)))
        else:
            invocation.return_value(None)

    for path, interface in OBJECTS:
        connection.register_object(path, INTERFACES.lookup_interface(interface), on_call)
    for name in NAMES:
        reply = connection.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                     "org.freedesktop.DBus", "RequestName",
                                     GLib.Variant("(su)", (name, 4)), None,
                                     Gio.DBusCallFlags.NONE, -1, None)
        if reply.unpack()[0] != 1:
            sys.exit("cannot own " + name)
    if options.print_ready:
        print("ready", flush=True)

    loop = GLib.MainLoop()
    connection.connect("closed", lambda *args: loop.quit())
    loop.run()


if __name__ == "__main__":
    main()
