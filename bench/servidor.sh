#!/bin/sh
# The transfer benchmark on both engines: the 100,000-article transfer on the
# SQLite file and on a throw-away local PostgreSQL server (Unix socket), and
# the ratio of the two whole runs (wall and processor seconds); then, on the
# same server, citext against lower() indexes (bench/citext.sql). Prints
# figures only.
#   bench/servidor.sh [BUILD_DIR] [ARTICLES]
set -e
cd "$(dirname "$0")/.."
BUILD="${1:-build}"
N="${2:-100000}"
DIR="$(mktemp -d /tmp/velmarion-bench-pg.XXXXXX)"
rmdir "$DIR"
trap 'scripts/servidor-prueba stop "$DIR"' EXIT INT TERM
CONNINFO="$(scripts/servidor-prueba start "$DIR")"
echo "== SQLite (archivo)"
"$BUILD/bin/bench_transferencia" "$N" | tee "$DIR.archivo"
echo "== PostgreSQL ($DIR)"
VELMARION_PRUEBA_SERVIDOR="$CONNINFO" "$BUILD/bin/bench_transferencia" "$N" | tee "$DIR.servidor"
A=$(grep "transferencia entera" "$DIR.archivo" | awk '{print $3}')
S=$(grep "transferencia entera" "$DIR.servidor" | awk '{print $3}')
# Processor seconds: the program's on the file; the program's and its server
# session's on the server (both run on this machine).
AP=$(grep "transferencia entera" "$DIR.archivo" | sed 's/.*procesador \([0-9.]*\) s.*/\1/')
SP=$(grep "programa y servidor" "$DIR.servidor" | sed 's/.*programa y servidor: \([0-9.]*\) s.*/\1/')
rm -f "$DIR.archivo" "$DIR.servidor"
awk -v a="$A" -v s="$S" 'BEGIN { printf "servidor / archivo: %.2f s / %.2f s = %.2fx\n", s, a, s / a }'
awk -v a="$AP" -v s="$SP" 'BEGIN { printf "procesador, servidor / archivo: %.2f s / %.2f s = %.2fx\n", s, a, s / a }'
echo "== citext / lower() (100,000 filas, en el servidor)"
BIN="$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)"
"$BIN/psql" -q -f bench/citext.sql "$CONNINFO" 2>&1 | sed 's/.*NOTICE: *//'
