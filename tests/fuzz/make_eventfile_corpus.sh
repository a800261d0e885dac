#!/usr/bin/env bash
# Writes the seed corpus of the event file fuzzer: small SQLite files (512-byte pages) of every
# shape the reader meets: whole tables, rows with values it cannot take, tables with columns
# missing or extra, files that hold no events table of this program, and damaged databases.
# Run from anywhere; it rewrites tests/fuzz/corpus/eventfile/*.dat (the hand-made files there
# are kept). Needs the sqlite3 tool.
set -euo pipefail
out=$(cd "$(dirname "$0")" && pwd)/corpus/eventfile
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
schema="CREATE TABLE events (RowNo INTEGER PRIMARY KEY, EvName TEXT, EvDate TEXT, EvTime TEXT, EvType INTEGER,
  EvRec INTEGER, EvShutType INTEGER, EvPath TEXT, EvParam TEXT, EvURL TEXT, EvMMAddress TEXT,
  EvMMSubj TEXT, EvCS TEXT, EvIntBTime TEXT, EvIntETime TEXT, EvInterval INTEGER, EvRecMonth INTEGER);"
good="INSERT INTO events (RowNo, EvName, EvDate, EvTime, EvType, EvRec, EvRecMonth) VALUES
  (1, 'one', '2026-12-10', '08:00:00', 0, 0, 0), (2, 'two', '2026-12-11', '09:00:00.250', 7, 3, 0),
  (3, 'three', '2026-12-12', '10:00:00', 1, 0, 2);"
# db NAME SQL...: a database made by the sqlite3 tool from the SQL, user_version 1 unless the SQL
# says otherwise.
db() {
    local name=$1; shift
    rm -f "$work/$name"
    printf '%s\n' "PRAGMA page_size = 512; PRAGMA user_version = 1;" "$@" | sqlite3 "$work/$name"
    cp "$work/$name" "$out/$name.dat"
}
bad() { db "$1" "$schema" "$good" "UPDATE events SET $2 WHERE RowNo = 2;"; }

# Whole tables.
db every_field "$schema" "INSERT INTO events VALUES (1, 'Dentist – bring the card 😀', '2024-02-29',
  '23:59:59.999', 4, 2147483647, 3, '/usr/bin/true', '''a b'' c', 'https://example.org/?q=1&r=2',
  'me@example.org', 'subject', '/tmp/ding.wav', '08:00:00', '17:30:00', 1, 0),
  (2, '', '0001-01-01', '00:00:00', -32768, -2147483648, 32767, '', '', '', '', '', '', NULL, NULL, 0, 12);"
db each_type "$schema" "INSERT INTO events (RowNo, EvName, EvDate, EvTime, EvType, EvShutType) VALUES
  (1,'n','2026-01-01','00:00:01',0,0),(2,'l','2026-01-02','00:00:02',1,1),(3,'s','2026-01-03','00:00:03',2,2),
  (4,'m','2026-01-04','00:00:04',3,3),(5,'u','2026-01-05','00:00:05',4,4),(6,'t','2026-01-06','00:00:06',5,0),
  (7,'a','2026-01-07','00:00:07',6,0),(8,'w','2026-01-08','00:00:08',7,0);"
db gaps_in_rowno "$schema" "INSERT INTO events (RowNo, EvName, EvDate) VALUES (9, 'nine', '9999-12-31'),
  (2, 'two', '2026-12-10'), (40000, 'big', '2026-12-10');"
db deleted_rows "$schema" "$good" "INSERT INTO events (RowNo, EvName) SELECT value + 10, printf('%.*c', 300, 'x')
  FROM generate_series(1, 40);" "DELETE FROM events WHERE RowNo > 12;" 2>/dev/null ||
  db deleted_rows "$schema" "$good" "WITH RECURSIVE n(i) AS (SELECT 11 UNION ALL SELECT i + 1 FROM n WHERE i < 50)
  INSERT INTO events (RowNo, EvName) SELECT i, printf('%.*c', 300, 'x') FROM n;" "DELETE FROM events WHERE RowNo > 12;"
db nul_in_text "$schema" "INSERT INTO events (RowNo, EvName, EvDate) VALUES (1, CAST(x'61006200' AS TEXT), '2026-12-10');"
db with_index "$schema" "$good" "CREATE INDEX byDate ON events (EvDate, EvTime);"
db extra_columns "CREATE TABLE events (RowNo INTEGER PRIMARY KEY, EvName TEXT, EvDate TEXT, EvTime TEXT,
  EvType INTEGER, EvRec INTEGER, EvShutType INTEGER, EvPath TEXT, EvParam TEXT, EvURL TEXT, EvMMAddress TEXT,
  EvMMSubj TEXT, EvCS TEXT, EvIntBTime TEXT, EvIntETime TEXT, EvInterval INTEGER, EvRecMonth INTEGER, Note TEXT);" \
  "INSERT INTO events (RowNo, EvName, EvDate, Note) VALUES (1, 'one', '2026-12-10', 'mine');"
db lower_case_names "CREATE TABLE EVENTS (rowno INTEGER PRIMARY KEY, evname TEXT, evdate TEXT, evtime TEXT);" \
  "INSERT INTO EVENTS VALUES (1, 'one', '2026-12-10', '08:00:00');"

# Rows with a value that cannot be read.
bad bad_date_feb30 "EvDate = '2026-02-30'"
bad bad_date_empty "EvDate = ''"
bad bad_date_integer "EvDate = 20261210"
bad bad_date_form "EvDate = '10.12.2026'"
bad bad_time "EvTime = '25:61:00'"
bad bad_time_ms "EvTime = '08:00:00.5'"
bad bad_type_text "EvType = 'abc'"
bad bad_type_real "EvType = 1.5"
bad bad_rec_big "EvRec = 1099511627776"
bad bad_interval "EvInterval = 2"
bad bad_intbtime "EvIntBTime = '8 am'"
bad blob_name "EvName = x'00ff'"
bad long_name "EvName = printf('%.*c', 3000, 'x')"
bad bad_utf8_name "EvName = CAST(x'61ff62c3' AS TEXT)"
bad four_byte_name "EvName = printf('%.*c', 300, '😀')"
db missing_column "${schema/, EvRecMonth INTEGER/}" \
  "INSERT INTO events (RowNo, EvName, EvDate, EvTime) VALUES (1, 'one', '2026-12-10', '08:00:00');"
db rowno_and_name_only "CREATE TABLE events (RowNo INTEGER PRIMARY KEY, EvName TEXT);" \
  "INSERT INTO events VALUES (1, 'one'), (2, 'two');"
db rowno_not_a_key "${schema/ PRIMARY KEY/}" "$good" "UPDATE events SET RowNo = 'two' WHERE EvName = 'two';" \
  "INSERT INTO events (RowNo, EvName) VALUES (1, 'again'), (NULL, 'none');"
db untyped_columns "CREATE TABLE events (RowNo, EvName, EvDate, EvTime, EvType, EvRec, EvInterval);" \
  "INSERT INTO events VALUES (1, 12, 20261210, 0.5, '3', x'01', 'yes'), (2.5, 'x', '2026-12-10', '08:00:00', 1, 1, 1);"

# No events table of this program.
db no_table "CREATE TABLE other (x);"
db foreign_table "CREATE TABLE events (id, title, at);" "INSERT INTO events VALUES (1, 'x', 'y');"
db events_view "CREATE TABLE t (x); CREATE VIEW events AS SELECT 1 AS RowNo, 'a' AS EvName;"
db version_2 "PRAGMA user_version = 2;" "$schema" "$good"
db without_rowid "CREATE TABLE events (RowNo INTEGER PRIMARY KEY, EvName TEXT, EvDate TEXT) WITHOUT ROWID;" \
  "INSERT INTO events VALUES (1, 'one', '2026-12-10');"
db trigger "$schema" "$good" "CREATE TRIGGER t AFTER INSERT ON events BEGIN DELETE FROM events; END;"

# Damaged databases: cut short, and a page overwritten.
db big "$schema" "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 60)
  INSERT INTO events (RowNo, EvName, EvDate, EvTime) SELECT i, 'event ' || i, '2026-12-10', '08:00:00' FROM n;"
rm "$out/big.dat"
head -c 2048 "$work/big" >"$out/cut_short.dat"
cp "$work/big" "$work/torn"
printf '\377%.0s' $(seq 512) | dd of="$work/torn" bs=512 seek=3 conv=notrunc status=none
cp "$work/torn" "$out/torn_page.dat"
ls "$out" | wc -l
