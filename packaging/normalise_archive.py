"""Rewrite a .tar.gz or .zip in place so that its bytes depend on its contents
alone: members sorted by name, owned by root (0/0), folders and programs mode
0755 and other files 0644, every time SOURCE_DATE_EPOCH when it is set (UTC in
a zip, whose times have no zone), and a gzip header without a time or a name.

usage: normalise_archive.py ARCHIVE
"""

import gzip
import io
import os
import sys
import tarfile
import time
import zipfile


def normal_mode(mode, is_dir):
    return 0o755 if is_dir or mode & 0o111 else 0o644


def normalise_tar(path, epoch):
    with tarfile.open(path) as old:
        members = sorted(old.getmembers(), key=lambda member: member.name)
        contents = {}
        for member in members:
            if member.isfile():
                contents[member.name] = old.extractfile(member).read()
            elif not member.isdir():
                sys.exit(f"{path}: {member.name} is neither a file nor a folder")
    tar_bytes = io.BytesIO()
    with tarfile.open(fileobj=tar_bytes, mode="w", format=tarfile.GNU_FORMAT) as new:
        for member in members:
            member.uid = member.gid = 0
            member.uname = member.gname = "root"
            member.mode = normal_mode(member.mode, member.isdir())
            member.pax_headers = {}
            if epoch is not None:
                member.mtime = epoch
            data = contents.get(member.name)
            new.addfile(member, io.BytesIO(data) if data is not None else None)
    with open(path, "wb") as out:
        with gzip.GzipFile(filename="", mode="wb", fileobj=out, mtime=0, compresslevel=9) as packed:
            packed.write(tar_bytes.getvalue())


def normalise_zip(path, epoch):
    with zipfile.ZipFile(path) as old:
        entries = sorted(old.infolist(), key=lambda entry: entry.filename)
        contents = {entry.filename: old.read(entry) for entry in entries}
    with zipfile.ZipFile(path, "w") as new:
        for entry in entries:
            when = time.gmtime(epoch)[:6] if epoch is not None else entry.date_time
            info = zipfile.ZipInfo(entry.filename, date_time=when)
            info.create_system = 3  # Unix, so that the modes below count
            is_dir = entry.is_dir()
            kind = 0o040000 if is_dir else 0o100000
            info.external_attr = (kind | normal_mode(entry.external_attr >> 16, is_dir)) << 16
            if is_dir:
                info.external_attr |= 0x10  # the DOS folder flag
            info.compress_type = zipfile.ZIP_STORED if is_dir else zipfile.ZIP_DEFLATED
            new.writestr(info, contents[entry.filename], compresslevel=9)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip().splitlines()[-1])
    path = sys.argv[1]
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    epoch = int(epoch) if epoch else None
    if path.endswith(".tar.gz"):
        normalise_tar(path, epoch)
    elif path.endswith(".zip"):
        normalise_zip(path, epoch)
    else:
        sys.exit(f"{path}: not a .tar.gz or a .zip")


main()
