#!/usr/bin/env bash
# The recovery journal's cost per finished feature (a 50-vertex polyline:
# its record appended and flushed to the disk) in the 32-bit program's code
# under Wine, beside SQLite committing one row of the same size per
# transaction on the same disk (synchronous=FULL): the price of any write
# that survives a power cut. The native number comes from bench_journal.
source "$(dirname "$0")/bench-lib.sh"
build_win_target "$bench_arch" bench_journal
run_wine_in "$bench_arch" "$(win_build_dir "$bench_arch")/bench/bench_journal.exe" 2>/dev/null | tr -d '\r' | sed "s/^Win32:/Win32 $(arch_name "$bench_arch") under Wine (FlushFileBuffers):/"
stop_wine "$bench_arch"

if command -v sqlite3 >/dev/null; then
  db="$bench_build/journal-bench.sqlite"
  rm -f "$db" "$db-journal"
  sql="$bench_build/journal-bench.sql"
  {
    echo "PRAGMA synchronous=FULL; CREATE TABLE features(id INTEGER, name TEXT, vertices BLOB);"
    for i in $(seq 10000); do echo "INSERT INTO features VALUES($i, 'Road 12 (gravel)', zeroblob(400));"; done
  } > "$sql"
  start=$(date +%s%N)
  sqlite3 "$db" < "$sql"
  end=$(date +%s%N)
  awk -v ns=$((end - start)) 'BEGIN { printf "sqlite3, one 400-byte row a transaction (synchronous=FULL): %8.1f us a row\n", ns / 1000 / 10000 }'
  rm -f "$db" "$db-journal" "$sql"
fi
