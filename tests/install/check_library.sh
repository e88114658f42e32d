#!/usr/bin/env bash
# Installs a build into a scratch DESTDIR and uses libvorlex as another program would: the C
# example built through pkg-config and through find_package(Vorlex) repairs a KOI8-R text, and
# the Python module (when built) imports from the installed site-packages and does the same.
#
#   tests/install/check_library.sh BUILD_DIR SOURCE_DIR PYTHON_MODULE(1|0) PYTHON
set -euo pipefail
build="$1" source="$2" python_module="$3" python="$4"
here="$(cd "$(dirname "$0")" && pwd)"
dest="$(mktemp -d "${TMPDIR:-/tmp}/vorlex-library.XXXXXX")"
source "$here/keep_manifest.sh"

DESTDIR="$dest" cmake --install "$build" --prefix /usr >/dev/null
root="$dest/usr"
[ -s "$root/include/vorlex.h" ] || fail "include/vorlex.h is missing"
pc="$(find "$root/lib" -name vorlex.pc)"
[ -n "$pc" ] || fail "no vorlex.pc under lib/"
libdir="$(dirname "$(dirname "$pc")")"
real="$(readlink -f "$libdir/libvorlex.so")"
[ -f "$real" ] || fail "libvorlex.so does not lead to the library"
soname="$(objdump -p "$real" | awk '$1 == "SONAME" {print $2}')"
[ -L "$libdir/$soname" ] || fail "no link $soname beside the library"
exported="$(nm -D --defined-only "$real" | awk '$2 == "T" {print $3}' | grep -v '^vorlex_' || true)"
[ -z "$exported" ] || fail "the library exports more than its interface: $exported"

work="$dest/work"
mkdir -p "$work"
text="Съешь же ещё этих мягких французских булок, да выпей чаю. Широкая электрификация южных губерний даст мощный толчок подъёму сельского хозяйства."
printf '%s\n' "$text" >"$work/expected.txt"
iconv -f UTF-8 -t KOI8-R "$work/expected.txt" >"$work/koi.txt"
# The UTF-8 text read as Windows-1251 and saved as UTF-8.
iconv -f CP1251 -t UTF-8 "$work/expected.txt" >"$work/utf8-as-win.txt"
run_repair() { # PROGRAM: the repaired texts must be the original
  for input in 'koi "kw "' 'utf8-as-win "uw 8u "'; do
    LD_LIBRARY_PATH="$libdir" "$1" "$work/${input%% *}.txt" >"$work/out.txt" 2>"$work/err.txt" ||
      fail "$1 failed: $(cat "$work/err.txt")"
    cmp -s "$work/out.txt" "$work/expected.txt" || fail "$1 wrote $(head -c 200 "$work/out.txt")"
    grep -qF "verdict repair, action ${input#* }" "$work/err.txt" ||
      fail "$1 reported $(cat "$work/err.txt")"
  done
}

export PKG_CONFIG_PATH="$libdir/pkgconfig"
[ "$(pkg-config --modversion vorlex)" = "$("$root/bin/vorlex-cli" --version | cut -d' ' -f2)" ] ||
  fail "vorlex.pc's version is not the programs' one"
# shellcheck disable=SC2046
cc -std=c11 -Wall -Wextra -Werror -o "$work/repair-pc" "$source/examples/repair.c" \
  $(pkg-config --cflags --libs vorlex) || fail "the example does not build through pkg-config"
run_repair "$work/repair-pc"

cmake -S "$source/examples" -B "$work/cmake" -DCMAKE_PREFIX_PATH="$root" >"$work/cmake.log" 2>&1 &&
  cmake --build "$work/cmake" >>"$work/cmake.log" 2>&1 ||
  fail "the example does not build through find_package(Vorlex): $(tail -20 "$work/cmake.log")"
run_repair "$work/cmake/repair"

if [ "$python_module" = 1 ]; then
  site="$(dirname "$(find "$root/lib" -name 'vorlex.*.so' -path '*-packages/*')")"
  [ -s "$site/vorlex.pyi" ] || fail "vorlex.pyi is not beside the Python module"
  PYTHONPATH="$site" "$python" -c "import sys, vorlex; print(vorlex.repair(open(sys.argv[1], 'rb').read()).text, end='')" \
    "$work/koi.txt" >"$work/python.txt" || fail "the installed Python module does not repair"
  cmp -s "$work/python.txt" "$work/expected.txt" || fail "the Python module wrote $(cat "$work/python.txt")"
fi
echo "the installed library, its C example and its Python module repair a KOI8-R text; the" \
  "example also a UTF-8 text damaged through Unicode"
