#!/usr/bin/python3
"""A stand-in udisks2: owns org.freedesktop.UDisks2 on a private bus and serves the drives a test describes.

--drives is a JSON list of {"name", "device", "filesystem", "mountPoints", "symlinks",
"unmountError", "ejectError"}; an error is {"name", "message", "count"} (count 0: every call).
Each Unmount and Eject is appended to --calls as "Method<TAB>object path<TAB>option keys<TAB>
monotonic seconds" before it is answered, so failed calls are recorded too. --ready is written once the name is owned.
"""

import argparse
import json
import os
import shutil
import signal
import sys
import time

import dbus
import dbus.bus
import dbus.mainloop.glib
import dbusmock.mockobject as mock
from gi.repository import GLib

NAME = 'org.freedesktop.UDisks2'
ROOT = '/org/freedesktop/UDisks2'
DRIVE = 'org.freedesktop.UDisks2.Drive'
BLOCK = 'org.freedesktop.UDisks2.Block'
FILESYSTEM = 'org.freedesktop.UDisks2.Filesystem'


def byte_string(text):
    # udisks2 sends paths as NUL-terminated byte arrays, not as strings.
    return dbus.Array([dbus.Byte(b) for b in os.fsencode(text) + b'\0'], signature='y')


def byte_strings(texts):
    return dbus.Array([byte_string(t) for t in texts], signature='ay')


class Recorder:
    def __init__(self, path):
        self.file = open(path, 'a', encoding='utf-8')

    def method(self, name, path, error, on_success):
        """A mock method that logs the call, then fails as asked or does on_success."""
        failures = {'left': (error or {}).get('count', 0) or -1}

        def handler(obj, options):
            keys = ",".join(sorted(str(k) for k in options))
            self.file.write(f'{name}\t{path}\t{keys}\t{time.monotonic():.6f}\n')
            self.file.flush()
            if error and failures['left'] != 0:
                failures['left'] -= 1
                raise dbus.exceptions.DBusException(error['message'], name=error['name'])
            on_success(obj)

        return handler


def add_drive(root, recorder, drive):
    name = drive['name']
    device = drive['device']
    drive_path = f'{ROOT}/drives/{name}'
    block_path = f'{ROOT}/block_devices/{os.path.basename(device)}'
    has_fs = drive.get('filesystem', True)

    root.AddObject(drive_path, DRIVE, {
        'Id': dbus.String(name),
        'Vendor': dbus.String('Kelvane'),
        'Model': dbus.String('Stand-in DVD'),
        'Ejectable': dbus.Boolean(True),
        'MediaRemovable': dbus.Boolean(True),
        'MediaAvailable': dbus.Boolean(True),
        'Removable': dbus.Boolean(True),
        'Optical': dbus.Boolean(True),
    }, [])

    def ejected(obj):
        obj.UpdateProperties(DRIVE, {'MediaAvailable': dbus.Boolean(False)})

    mock.objects[drive_path].AddMethod(DRIVE, 'Eject', 'a{sv}', '',
                                       recorder.method('Eject', drive_path, drive.get('ejectError'), ejected))

    root.AddObject(block_path, BLOCK, {
        'Device': byte_string(device),
        'PreferredDevice': byte_string(device),
        'Symlinks': byte_strings(drive.get('symlinks', [])),
        'Drive': dbus.ObjectPath(drive_path),
        'Size': dbus.UInt64(0),
        'ReadOnly': dbus.Boolean(True),
        'IdUsage': dbus.String('filesystem' if has_fs else ''),
        'IdType': dbus.String('iso9660' if has_fs else ''),
        'HintIgnore': dbus.Boolean(False),
    }, [])
    if not has_fs:
        return

    block = mock.objects[block_path]
    block.AddProperties(FILESYSTEM, {'MountPoints': byte_strings(drive.get('mountPoints', []))})

    def unmounted(obj):
        if not obj.props[FILESYSTEM]['MountPoints']:
            # What udisks2 answers for a file system that is not mounted.
            raise dbus.exceptions.DBusException(f'Error unmounting {device}: not mounted',
                                                name='org.freedesktop.UDisks2.Error.NotMounted')
        obj.UpdateProperties(FILESYSTEM, {'MountPoints': dbus.Array([], signature='ay')})

    block.AddMethod(FILESYSTEM, 'Unmount', 'a{sv}', '',
                    recorder.method('Unmount', block_path, drive.get('unmountError'), unmounted))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--address', required=True, help='the private bus to serve on')
    parser.add_argument('--drives', required=True, help='JSON list of drives')
    parser.add_argument('--calls', required=True, help='file the Unmount and Eject calls go to')
    parser.add_argument('--ready', required=True, help='file written once the name is owned')
    parser.add_argument('--remove-dir', help='folder to remove on the way out, so that a dead test leaves nothing')
    args = parser.parse_args()
    # Until GLib takes SIGTERM over, leave through the finally below too.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(128 + signal.SIGTERM))
    try:
        serve(args)
    finally:
        if args.remove_dir:
            shutil.rmtree(args.remove_dir, ignore_errors=True)
    return 0


def serve(args):
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.bus.BusConnection(args.address)
    loop = GLib.MainLoop()
    # Leave with the bus, and on SIGTERM, without a traceback.
    bus.add_signal_receiver(loop.quit, signal_name='Disconnected',
                            path='/org/freedesktop/DBus/Local', dbus_interface='org.freedesktop.DBus.Local')
    GLib.unix_signal_add(GLib.PRIORITY_HIGH, signal.SIGTERM, loop.quit)
    GLib.unix_signal_add(GLib.PRIORITY_HIGH, signal.SIGINT, loop.quit)

    root = mock.DBusMockObject(bus, ROOT, mock.OBJECT_MANAGER_IFACE, {}, None, True)
    mock.objects[ROOT] = root
    root.AddObject(f'{ROOT}/Manager', 'org.freedesktop.UDisks2.Manager',
                   {'Version': dbus.String('2.9.4')}, [])
    recorder = Recorder(args.calls)
    for drive in json.loads(args.drives):
        add_drive(root, recorder, drive)

    # The name comes last, so that whoever sees it owned finds every object in place.
    if bus.request_name(NAME, dbus.bus.NAME_FLAG_DO_NOT_QUEUE) != dbus.bus.REQUEST_NAME_REPLY_PRIMARY_OWNER:
        sys.exit(f'could not own {NAME}')
    with open(args.ready + '.tmp', 'w', encoding='utf-8') as ready:
        ready.write(args.address + '\n')
    os.rename(args.ready + '.tmp', args.ready)

    loop.run()


if __name__ == '__main__':
    sys.exit(main())
