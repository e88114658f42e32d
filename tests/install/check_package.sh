#!/usr/bin/env bash
# Builds the Debian package of a build with cpack in a scratch folder and holds it to lintian:
# no error and no warning (tags overridden in the package's lintian-overrides file, each with
# its reason, are allowed). Every tag it reports, down to the informational ones, is printed.
#
#   tests/install/check_package.sh BUILD_DIR
set -euo pipefail
build="$1"
here="$(cd "$(dirname "$0")" && pwd)"
dest="$(mktemp -d "${TMPDIR:-/tmp}/vorlex-package.XXXXXX")"
source "$here/keep_manifest.sh"

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$dest" >"$dest/cpack.log" 2>&1 ||
  fail "cpack could not build the package: $(cat "$dest/cpack.log")"
packages=("$dest"/vorlex_*.deb)
[ -s "${packages[0]}" ] || fail "cpack made no vorlex_*.deb"
echo "built ${packages[0]##*/}"
# Every tag, the overridden ones with their reasons; the verdict comes from a second run without
# them, as lintian counts a shown override as a tag found.
lintian --display-info --show-overrides "${packages[0]}" || true
lintian --fail-on error,warning "${packages[0]}" >/dev/null ||
  fail "lintian finds errors or warnings (above)"
echo "lintian passes"
