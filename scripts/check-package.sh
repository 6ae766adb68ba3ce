#!/usr/bin/env bash
# Checks the Debian package that `make package` made (or the .deb given as $1): its files, its
# control fields, the desktop entry and AppStream metadata as installed, lintian (when present:
# no error), and the installed quarn-cli profiling a sample text against the installed lists.
# The package is unpacked into a scratch root, not installed on this machine.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
deb=${1:-$(ls "$src"/build-package/quarn_*_*.deb | tail -n 1)}
root=$(mktemp -d "${TMPDIR:-/tmp}/quarn-package-XXXXXX")
trap 'rm -rf "$root"' EXIT
fail() { echo "package check: $*" >&2; exit 1; }

dpkg-deb -x "$deb" "$root"
p="$root/usr"
for f in bin/quarn bin/quarn-cli \
  share/applications/org.quarn.Quarn.desktop share/metainfo/org.quarn.Quarn.metainfo.xml \
  share/icons/hicolor/scalable/apps/quarn.svg share/icons/hicolor/48x48/apps/quarn.png \
  share/man/man1/quarn.1.gz share/man/man1/quarn-cli.1.gz \
  share/doc/quarn/copyright share/doc/quarn/NOTICE share/doc/quarn/changelog.gz \
  share/quarn/sample/ca01.txt; do
  [ -e "$p/$f" ] || fail "missing /usr/$f"
done
lists=$(ls "$p"/share/quarn/lists/BASEWRD*.txt 2>/dev/null | wc -l)
[ "$lists" -eq 12 ] || fail "$lists lists in /usr/share/quarn/lists, not 12"

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libqt6widgets6 libqt6charts6 libxlsxwriter; do
  case "$depends" in *"$lib"*) ;; *) fail "Depends lacks $lib: $depends" ;; esac
done

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$p/share/applications/org.quarn.Quarn.desktop"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$p/share/metainfo/org.quarn.Quarn.metainfo.xml" >/dev/null
fi
if command -v lintian >/dev/null; then
  lintian --no-tag-display-limit "$deb" >"$root.lintian" 2>&1 || true
  if grep -q "^E: " "$root.lintian"; then
    cat "$root.lintian"
    rm -f "$root.lintian"
    fail "lintian reports errors"
  fi
  rm -f "$root.lintian"
fi

# The installed program on a sample text, against the installed lists.
"$p/bin/quarn-cli" --version | grep -q "^quarn-cli $(dpkg-deb -f "$deb" Version)$" ||
  fail "quarn-cli --version does not give the package's version"
mkdir "$root/run"
(cd "$root/run" && "$p/bin/quarn-cli" profile --folder "$p/share/quarn/lists" --lists 12 \
  --results "$root/run/first" "$p/share/quarn/sample/ca01.txt" >"$root/run/log")
report="$root/run/first_quarn.txt"
[ -f "$report" ] || fail "no results file $report"
grep -q "Number of BASEWRD12.txt families: 1000" "$report" ||
  fail "the report does not show the twelfth list's 1,000 families"
grep -q "^ *\.\.\.Finished" "$report" || fail "the report does not end its run"
grep -q "^ERROR" "$root/run/log" && fail "quarn-cli reported an error"
echo "package check: $(basename "$deb") ok"
