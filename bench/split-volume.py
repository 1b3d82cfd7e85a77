#!/usr/bin/env python3
"""split-volume.py SOURCE.mdb DEST_DIR --volumes N --databases D --template TEMPLATE

Splits the one volume of a catalog database into N volumes of about the same number of files,
spread over D databases (Part001.mdb ...), each volume holding a run of consecutive files (in
scan order) and the folders above them, with the same IDs, names, sizes and dates: the same
rows as the one volume, catalogued as many small ones.
"""
import argparse, os, shutil, sqlite3, sys

COLUMNS = "ID, parent, name, size, description, attrib, createdate, lastdate, moddate, depth"


def main():
    p = argparse.ArgumentParser()
    p.add_argument("source")
    p.add_argument("dest")
    p.add_argument("--volumes", type=int, default=1000)
    p.add_argument("--databases", type=int, default=10)
    p.add_argument("--template", required=True)
    a = p.parse_args()

    src = sqlite3.connect(a.source)
    (t,) = src.execute('SELECT tablename FROM "index"').fetchone()
    dirs = {row[0]: row for row in src.execute(f'SELECT {COLUMNS} FROM "{t}_dirs"')}
    files = src.execute(f'SELECT {COLUMNS} FROM "{t}_files" ORDER BY ID').fetchall()
    per_volume = -(-len(files) // a.volumes)
    per_database = -(-a.volumes // a.databases)
    os.makedirs(a.dest, exist_ok=True)

    db = None
    for v in range(a.volumes):
        if v % per_database == 0:
            if db:
                db.commit()
                db.close()
            path = os.path.join(a.dest, f"Part{v // per_database + 1:03d}.mdb")
            shutil.copyfile(a.template, path)
            os.chmod(path, 0o644)
            db = sqlite3.connect(path)
        chunk = files[v * per_volume:(v + 1) * per_volume]
        needed = {1}
        for row in chunk:
            folder = row[1]
            while folder and folder not in needed and folder in dirs:
                needed.add(folder)
                folder = dirs[folder][1]
        table = f"v{v:04d}"
        # The tables as the template declares them (ID is the primary key).
        for suffix, template in (("dirs", "dir_template"), ("files", "file_template")):
            (sql,) = db.execute("SELECT sql FROM sqlite_master WHERE name = ?", (template,)).fetchone()
            db.execute(sql.replace(f'"{template}"', f'"{table}_{suffix}"', 1))
        marks = ", ".join("?" * 10)
        db.executemany(f'INSERT INTO "{table}_dirs" ({COLUMNS}) VALUES ({marks})',
                       sorted(dirs[i] for i in needed if i in dirs))
        db.executemany(f'INSERT INTO "{table}_files" ({COLUMNS}) VALUES ({marks})', chunk)
        for suffix in ("dirs", "files"):
            db.execute(f'CREATE INDEX "{table}_{suffix}_parent" ON "{table}_{suffix}" (parent)')
        db.execute('INSERT INTO "index" (name, tablename, volumetype, thedate, size, used, free, dirs, files) '
                   'VALUES (?, ?, 2, 0, 0, 0, 0, ?, ?)', (f"Part {v + 1:04d}", table, len(needed) - 1, len(chunk)))
    db.commit()
    db.close()


if __name__ == "__main__":
    sys.exit(main())
