#!/usr/bin/env python3
"""make-checksummed.py DEST_DIR --files N --volumes V --databases D --template TEMPLATE

Writes D catalog databases (Sums001.mdb ...) holding V volumes of N files in all, every volume
catalogued with checksums: a tree of 100 folders below the root, the files spread over them,
and a checksum row for each file. One file in ten has the content of a file of another volume
(same checksum, same size); the rest are unique.
"""
import argparse, hashlib, os, shutil, sqlite3

FOLDERS = 100
DATE = 1_000_000_000
STRIDE = 123_457  # a twin lies this many files on, in another volume


def content_key(i, n):
    return (i + STRIDE) % n if i % 10 == 0 else i


def main():
    p = argparse.ArgumentParser()
    p.add_argument("dest")
    p.add_argument("--files", type=int, default=1_000_000)
    p.add_argument("--volumes", type=int, default=100)
    p.add_argument("--databases", type=int, default=10)
    p.add_argument("--template", required=True)
    a = p.parse_args()

    per_volume = -(-a.files // a.volumes)
    per_database = -(-a.volumes // a.databases)
    os.makedirs(a.dest, exist_ok=True)
    db = None
    for v in range(a.volumes):
        if v % per_database == 0:
            if db:
                db.commit()
                db.close()
            path = os.path.join(a.dest, f"Sums{v // per_database + 1:03d}.mdb")
            shutil.copyfile(a.template, path)
            os.chmod(path, 0o644)
            db = sqlite3.connect(path)
            db.execute("PRAGMA journal_mode = OFF")
            db.execute("PRAGMA synchronous = OFF")
        t = f"s{v:03d}"
        for suffix, template in (("dirs", "dir_template"), ("files", "file_template")):
            (sql,) = db.execute("SELECT sql FROM sqlite_master WHERE name = ?", (template,)).fetchone()
            db.execute(f'CREATE TABLE "{t}_{suffix}" {sql[sql.index("("):]}')
        db.execute(f'CREATE TABLE "{t}_sums" ("ID" INTEGER PRIMARY KEY, "checksum" BLOB NOT NULL)')
        dirs = [(1, 0, "X:", 0, None, "", DATE, DATE, DATE, 0)]
        dirs += [(2 + k, 1, f"folder{k:03d}", 0, None, "", DATE, DATE, DATE, 1) for k in range(FOLDERS)]
        db.executemany(f'INSERT INTO "{t}_dirs" VALUES (?,?,?,?,?,?,?,?,?,?)', dirs)
        files, sums = [], []
        first = v * per_volume
        total = 0
        for i in range(first, min(first + per_volume, a.files)):
            key = content_key(i, a.files)
            digest = hashlib.blake2b(key.to_bytes(8, "little"), digest_size=24).digest()
            size = int.from_bytes(digest[16:], "little") % 50_000_000
            file_id = i - first + 1
            files.append((file_id, 2 + i % FOLDERS, f"file{i:07d}.dat", size, None, "A", DATE, DATE, DATE, 2))
            sums.append((file_id, digest[:16]))
            total += size
        db.executemany(f'INSERT INTO "{t}_files" VALUES (?,?,?,?,?,?,?,?,?,?)', files)
        db.executemany(f'INSERT INTO "{t}_sums" VALUES (?,?)', sums)
        for suffix in ("dirs", "files"):
            db.execute(f'CREATE INDEX "{t}_{suffix}_parent" ON "{t}_{suffix}" ("parent")')
        db.execute('INSERT INTO "index" VALUES (?,?,?,?,?,?,?,?,?,?)',
                   (f"Disc {v:03d}", t, 3, DATE, "", total, total, 0, FOLDERS, len(files)))
    db.commit()
    db.close()


if __name__ == "__main__":
    main()
