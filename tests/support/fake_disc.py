#!/usr/bin/python3
"""A stand-in disc: serves a folder read-only over FUSE, as slow, scratched or pulled as a test asks.

Runs in the foreground until SIGTERM or until unmounted. Prints "ready" on stdout once mounted.
A pulled disc answers every file operation with ENODEV (--pull-errno to change it), so a test
can tell it from a scratch, which answers EIO. --resize changes a file's size in the middle of a
read, as a file truncated or written to while Kelvane reads it. --hang makes every read of a
file wait until the disc is pulled, as a read of a hung network share never returns.
"""

import argparse
import errno
import os
import signal
import sys
import threading
import time

import fusepy

CHUNK = 64 * 1024


class FakeDisc(fusepy.Operations):
    use_ns = True  # times in nanoseconds, as os.lstat gives them

    def __init__(self, source, slow_ms, scratches, pull_after, pull_errno, resizes=None, log=None,
                 hangs=()):
        self._source = source
        self._hangs = set(hangs)  # relative paths whose reads wait for the pull
        self._log = log  # a file that takes one line per open, read and release, as they come
        self._resizes = dict(resizes or {})  # relative path -> (offset, new size), done once
        self._slow_ms = slow_ms
        self._scratches = scratches  # relative path -> list of byte offsets
        self._pull_after = pull_after
        self._pull_errno = pull_errno
        self._served = 0
        self.pulled = threading.Event()
        self._mutex = threading.Lock()

    def _real(self, path):
        return os.path.join(self._source, path.lstrip('/'))

    def _note(self, what):
        if self._log:
            with self._mutex:
                self._log.write(f'{time.monotonic():.6f} {what}\n')
                self._log.flush()

    def _check_pulled(self):
        if self.pulled.is_set():
            raise fusepy.FuseOSError(self._pull_errno)

    def init(self, path):
        print('ready', flush=True)

    def getattr(self, path, fh=None):
        # The root stays readable so that the mount point itself can still be stat'ed and
        # unmounted, as with a real drive whose disc is gone; everything under it fails.
        if path != '/':
            self._check_pulled()
        try:
            st = os.lstat(self._real(path))
        except OSError as e:
            raise fusepy.FuseOSError(e.errno)
        attrs = {k: getattr(st, k) for k in ('st_mode', 'st_nlink', 'st_size', 'st_uid', 'st_gid')}
        for k in ('st_atime', 'st_mtime', 'st_ctime'):
            attrs[k] = getattr(st, k + '_ns')
        # A disc cannot be written, whatever the bits of the source say.
        attrs['st_mode'] &= ~0o222
        return attrs

    def opendir(self, path):
        self._check_pulled()
        return 0

    def readdir(self, path, fh):
        self._check_pulled()
        try:
            return ['.', '..'] + sorted(os.listdir(self._real(path)))
        except OSError as e:
            raise fusepy.FuseOSError(e.errno)

    def readlink(self, path):
        self._check_pulled()
        return os.readlink(self._real(path))

    def open(self, path, flags):
        self._check_pulled()
        if flags & (os.O_WRONLY | os.O_RDWR | os.O_TRUNC | os.O_APPEND):
            raise fusepy.FuseOSError(errno.EROFS)
        try:
            fh = os.open(self._real(path), os.O_RDONLY)
        except OSError as e:
            raise fusepy.FuseOSError(e.errno)
        self._note(f'open {path.lstrip("/")}')
        return fh

    def flush(self, path, fh):
        # What close(2) waits for; the release below may come later.
        self._note(f'close {path.lstrip("/")}')
        return 0

    def release(self, path, fh):
        os.close(fh)  # even after a pull, so that no descriptor leaks
        self._note(f'release {path.lstrip("/")}')
        return 0

    def read(self, path, size, offset, fh):
        self._note(f'read {path.lstrip("/")} {offset} {size}')
        if path.lstrip('/') in self._hangs:
            self.pulled.wait()
        self._check_pulled()
        if self._slow_ms > 0:
            # Paced by what the drive has to fetch: a read past the end costs nothing.
            fetched = max(0, min(size, os.fstat(fh).st_size - offset))
            # Sleep in slices so that a pull during a slow read ends it at once.
            until = time.monotonic() + self._slow_ms * fetched / CHUNK / 1000.0
            while not self.pulled.wait(max(0.0, min(0.05, until - time.monotonic()))):
                if time.monotonic() >= until:
                    break
            self._check_pulled()
        resize = self._resizes.get(path.lstrip('/'))
        if resize and offset >= resize[0]:
            del self._resizes[path.lstrip('/')]
            os.truncate(self._real(path), resize[1])
        for bad in self._scratches.get(path.lstrip('/'), ()):
            if offset <= bad < offset + size:
                raise fusepy.FuseOSError(errno.EIO)
        with self._mutex:
            if self._pull_after is not None:
                left = self._pull_after - self._served
                if left <= 0:
                    self.pulled.set()
                    raise fusepy.FuseOSError(self._pull_errno)
                size = min(size, left)
            data = os.pread(fh, size, offset)
            self._served += len(data)
            if self._pull_after is not None and self._served >= self._pull_after:
                self.pulled.set()
        return data

    def statfs(self, path):
        st = os.statvfs(self._source)
        return {k: getattr(st, k) for k in ('f_bsize', 'f_frsize', 'f_blocks', 'f_files', 'f_namemax')} | {
            'f_bfree': 0, 'f_bavail': 0, 'f_ffree': 0, 'f_favail': 0}


def parse_scratch(text):
    rel, _, offset = text.rpartition(':')
    if not rel:
        raise argparse.ArgumentTypeError('expected RELPATH:OFFSET')
    return rel.lstrip('/'), int(offset)


def parse_resize(text):
    rel, _, rest = text.partition(':')
    offset, _, size = rest.partition(':')
    if not rel or not offset or not size:
        raise argparse.ArgumentTypeError('expected RELPATH:OFFSET:SIZE')
    return rel.lstrip('/'), (int(offset), int(size))


def serve(args):
    scratches = {}
    for rel, offset in args.scratch:
        scratches.setdefault(rel, []).append(offset)
    disc = FakeDisc(os.path.abspath(args.source), args.slow_ms, scratches, args.pull_after,
                    getattr(errno, args.pull_errno), args.resize,
                    open(args.log, 'a', encoding='utf-8') if args.log else None, args.hang)

    # SIGUSR1 pulls the disc. Python runs signal handlers only in the main thread, which sits
    # inside libfuse's loop, so a thread waits for the signal instead; everyone else blocks it.
    signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGUSR1})

    def wait_for_pull():
        # libfuse ends its loop on SIGTERM/SIGINT/SIGHUP only when the main thread gets them.
        signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGTERM, signal.SIGINT, signal.SIGHUP})
        while True:
            signal.sigwait({signal.SIGUSR1})
            disc.pulled.set()

    threading.Thread(target=wait_for_pull, daemon=True).start()

    # libfuse installs its own SIGTERM handler (it unmounts) only over the default one.
    signal.signal(signal.SIGTERM, signal.SIG_DFL)
    # direct_io and zero timeouts: every read, lookup and stat reaches us, so errors and
    # slowness are seen on repeated reads too, not hidden by the kernel's caches.
    fusepy.FUSE(disc, args.mountpoint, foreground=True, ro=True, direct_io=True,
                attr_timeout=0, entry_timeout=0, negative_timeout=0,
                fsname='fakedisc', subtype='fakedisc')


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('source')
    parser.add_argument('mountpoint')
    parser.add_argument('--slow-ms', type=float, default=0.0, help='sleep per 64 KiB read')
    parser.add_argument('--scratch', type=parse_scratch, action='append', default=[],
                        metavar='RELPATH:OFFSET', help='reads covering that byte fail with EIO')
    parser.add_argument('--resize', type=parse_resize, action='append', default=[],
                        metavar='RELPATH:OFFSET:SIZE',
                        help='the first read at OFFSET or beyond first truncates the file to SIZE')
    parser.add_argument('--log', metavar='FILE', help='a line for each open, read and release')
    parser.add_argument('--hang', action='append', default=[], metavar='RELPATH',
                        help='reads of that file wait until the disc is pulled')
    parser.add_argument('--pull-after', type=int, default=None, metavar='BYTES')
    parser.add_argument('--pull-errno', default='ENODEV', choices=['ENODEV', 'EIO', 'ENOMEDIUM'])
    parser.add_argument('--remove-mountpoint', action='store_true',
                        help='rmdir the mount point on the way out, so that a dead test leaves nothing')
    args = parser.parse_args()
    if not os.path.isdir(args.source):
        parser.error(f'{args.source} is not a folder')
    # Until libfuse takes SIGTERM over, leave through the finally below, so the mount point goes too.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(128 + signal.SIGTERM))
    try:
        serve(args)
    finally:
        if args.remove_mountpoint:
            try:
                os.rmdir(args.mountpoint)
            except OSError:
                pass
    return 0


if __name__ == '__main__':
    sys.exit(main())
