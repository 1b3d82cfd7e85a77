-- The template every catalog database is copied from. A volume's tables are created with the
-- column layout of dir_template and file_template; both stay empty.
-- Dates are whole seconds from 1970-01-01 00:00:00 to the stored wall-clock date and time.
PRAGMA page_size = 4096;
PRAGMA journal_mode = DELETE;

CREATE TABLE "index" (
    "name" TEXT,
    "tablename" TEXT,
    "volumetype" INTEGER,
    "thedate" INTEGER,
    "thedescription" TEXT,
    "size" INTEGER,
    "used" INTEGER,
    "free" INTEGER,
    "dirs" INTEGER,
    "files" INTEGER
);

CREATE TABLE "version" ("version" INTEGER);
INSERT INTO "version" ("version") VALUES (3);

CREATE TABLE "dir_template" (
    "ID" INTEGER PRIMARY KEY,
    "parent" INTEGER,
    "name" TEXT,
    "size" INTEGER,
    "description" TEXT,
    "attrib" TEXT,
    "createdate" INTEGER,
    "lastdate" INTEGER,
    "moddate" INTEGER,
    "depth" INTEGER
);

CREATE TABLE "file_template" (
    "ID" INTEGER PRIMARY KEY,
    "parent" INTEGER,
    "name" TEXT,
    "size" INTEGER,
    "description" TEXT,
    "attrib" TEXT,
    "createdate" INTEGER,
    "lastdate" INTEGER,
    "moddate" INTEGER,
    "depth" INTEGER
);
