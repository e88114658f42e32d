# Sourced by the install checks. `cmake --install` and cpack rewrite the build's
# install_manifest.txt, which a real installation's uninstall reads: keep the user's one, and
# remove the scratch folder $dest on exit.
manifest="$build/install_manifest.txt"
[ -f "$manifest" ] && cp -p "$manifest" "$dest.manifest"
restore() {
  if [ -f "$dest.manifest" ]; then mv -f "$dest.manifest" "$manifest"; else rm -f "$manifest"; fi
  rm -rf "$dest"
}
trap restore EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
