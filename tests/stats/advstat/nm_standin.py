#!/usr/bin/python3
"""A small stand-in for NetworkManager on a private session bus: it owns
org.freedesktop.NetworkManager and answers org.freedesktop.DBus.Properties
Get/GetAll for the manager, the active connections and their devices, as a
recorded answer (tests/data/nm/*.json, "active") describes them.

Usage: nm_standin.py RECORDING.json  (prints "ready" once the name is owned)
"""
import json
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NM = "org.freedesktop.NetworkManager"
PROPS = "org.freedesktop.DBus.Properties"


class Properties(dbus.service.Object):
    def __init__(self, bus, path, interface, values):
        super().__init__(bus, path)
        self.interface = interface
        self.values = values

    @dbus.service.method(PROPS, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        if interface != self.interface:
            raise dbus.exceptions.DBusException(
                "No such interface " + interface,
                name="org.freedesktop.DBus.Error.UnknownInterface")
        return self.values

    @dbus.service.method(PROPS, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.GetAll(interface)[name]


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        recording = json.load(f)
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    objects = []
    active_paths = []
    device_number = 0
    for number, ac in enumerate(recording["active"]):
        device_paths = []
        for dev in ac["Devices"]:
            device_number += 1
            path = "/org/freedesktop/NetworkManager/Devices/%d" % device_number
            objects.append(Properties(bus, path, NM + ".Device", {
                "Interface": dbus.String(dev["Interface"]),
                "IpInterface": dbus.String(dev["IpInterface"]),
                "Driver": dbus.String(dev["Driver"]),
                "DeviceType": dbus.UInt32(dev["DeviceType"]),
                "State": dbus.UInt32(dev["State"]),
                "StateReason": dbus.Struct((dbus.UInt32(dev["StateReason"][0]),
                                            dbus.UInt32(dev["StateReason"][1])),
                                           signature="uu"),
            }))
            device_paths.append(dbus.ObjectPath(path))
        path = "/org/freedesktop/NetworkManager/ActiveConnection/%d" % (number + 1)
        objects.append(Properties(bus, path, NM + ".Connection.Active", {
            "Id": dbus.String(ac["Id"]),
            "Type": dbus.String(ac["Type"]),
            "State": dbus.UInt32(ac["State"]),
            "Devices": dbus.Array(device_paths, signature="o"),
        }))
        active_paths.append(dbus.ObjectPath(path))
    objects.append(Properties(bus, "/org/freedesktop/NetworkManager", NM, {
        "ActiveConnections": dbus.Array(active_paths, signature="o"),
        "Version": dbus.String("1.42.4"),
    }))
    name = dbus.service.BusName(NM, bus, do_not_queue=True)
    print("ready", flush=True)
    loop = GLib.MainLoop()
    # Bounded life: a test that forgets the stand-in does not leave it behind.
    GLib.timeout_add_seconds(60, loop.quit)
    loop.run()
    del name


if __name__ == "__main__":
    main()
