#!/usr/bin/env bash
# package-check.sh [BUILDDIR]: builds the Debian package of a configured and
# built tree (default build), checks its file list and lintian's verdict,
# installs it into a throw-away root and checks there what a fresh user gets:
# the MIME database knows the data files by content, the entry is valid, and
# registering adds no per-user copy of what the package provides. Removing
# the package leaves the root's databases without the types.
set -euo pipefail
build=$(realpath "${1:-build}")
root_dir=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() { echo "package-check: $*" >&2; exit 1; }

echo "== package"
(cd "$build" && rm -f orvantis_*.deb && cpack -G DEB >/dev/null 2>&1) || fail "cpack failed"
deb=$(ls "$build"/orvantis_*.deb)

listing=$(dpkg-deb -c "$deb" | awk '{ print $NF }')
for file in usr/bin/orvantis usr/bin/orvantis-cli usr/share/applications/orvantis.desktop \
    usr/share/mime/packages/orvantis-tidelume.asc.xml usr/share/mime/packages/orvantis-tidelume.bin.xml \
    usr/share/icons/hicolor/scalable/apps/orvantis.svg usr/share/icons/hicolor/64x64/apps/orvantis.png \
    usr/share/icons/hicolor/scalable/mimetypes/application-x-tidelume.asc.svg \
    usr/share/icons/hicolor/scalable/mimetypes/application-x-tidelume.bin.svg \
    usr/share/doc/orvantis/copyright usr/share/doc/orvantis/changelog.gz \
    usr/lib/python3/dist-packages/orvantis/__init__.py usr/lib/python3/dist-packages/orvantis/xarray_engine.py \
    "usr/lib/python3/dist-packages/orvantis-$(dpkg-deb -f "$deb" Version | cut -d- -f1).dist-info/entry_points.txt"; do
  grep -qx "./$file" <<<"$listing" || fail "the package lacks $file"
done
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail "no library dependencies in the package"
lintian --fail-on error "$deb" 2>&1 | grep -v 'running with root privileges' || true
lintian --fail-on error "$deb" >/dev/null 2>&1 || fail "lintian reports errors"

echo "== install into a throw-away root"
root=$scratch/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
# The root has the system's shared MIME package, as shared-mime-info gives it,
# so that the desktop below looks at this tree alone.
mkdir -p "$root/usr/share/mime/packages"
cp /usr/share/mime/packages/freedesktop.org.xml "$root/usr/share/mime/packages/"
# Chroot-free: the maintainer scripts run here with DPKG_ROOT naming the root.
# The root has no libraries, so the dependencies are not there to be met.
dpkg --root="$root" --log=/dev/null --force-depends --force-script-chrootless -i "$deb" >/dev/null 2>&1 ||
  fail "dpkg could not install the package"
[ -f "$root/usr/share/mime/mime.cache" ] || fail "postinst did not build the MIME database"
grep -qx application/x-tidelume.asc "$root/usr/share/mime/types" || fail "the MIME database lacks the .ASC type"
desktop-file-validate "$root/usr/share/applications/orvantis.desktop"

echo "== Python from the package"
# The root's Python folder stands for Debian's: xarray finds the engine
# through the package's entry point, and the module converts.
mkdir -p "$scratch/python"
cp "$root_dir/examples/EXAMPLE.CAL" "$root_dir/examples/SET0101A.ASC" "$scratch/python/"
PYTHONPATH=$root/usr/lib/python3/dist-packages /usr/bin/python3 - "$root" "$scratch/python" <<'PYTHON' || fail "the Python module does not work from the package"
import sys, xarray, orvantis
root, folder = sys.argv[1:]
assert orvantis.__file__.startswith(root), orvantis.__file__
assert "orvantis" in xarray.backends.list_engines()
spectra = xarray.open_dataset(f"{folder}/SET0101A.ASC", engine="orvantis", cal=f"{folder}/EXAMPLE.CAL")
assert spectra["Ed"].shape == (12, 256), spectra
PYTHON
# And the README's Python section as it stands, in a copy of the examples.
mkdir -p "$scratch/python/clone"
cp -r "$root_dir/examples" "$scratch/python/clone/"
/usr/bin/python3 "$root_dir/tests/python/readme_python.py" "$root_dir/README.md" >"$scratch/python/readme.py"
(cd "$scratch/python/clone" && XDG_CONFIG_HOME=$scratch/python/config PYTHONPATH=$root/usr/lib/python3/dist-packages \
  /usr/bin/python3 "$scratch/python/readme.py" >/dev/null 2>"$scratch/python/readme.err") ||
  fail "the README's Python section fails from the package: $(tail -3 "$scratch/python/readme.err")"

echo "== a fresh user"
export HOME=$scratch/home XDG_DATA_HOME=$scratch/home/data XDG_CONFIG_HOME=$scratch/home/config
export XDG_CACHE_HOME=$scratch/home/cache XDG_DATA_DIRS=$root/usr/share PATH=$root/usr/bin:$PATH
mkdir -p "$HOME" "$scratch/files"
type_of() { gio info -a standard::content-type "$1" | sed -n 's/.*standard::content-type: //p'; }
expect_type() {
  local got
  got=$(type_of "$1")
  [ "$got" = "$2" ] || fail "$1 is $got, not $2"
}
cp "$root_dir/examples/SET0101A.ASC" "$scratch/files/data.ASC"
{ printf '\r\n'; cat "$root_dir/examples/SET0102A.BIN"; } > "$scratch/files/data.BIN"
printf '= Notes\nA. Writer\n\nText.\n' > "$scratch/files/doc.asc"
printf -- '-----BEGIN PGP SIGNED MESSAGE-----\nHash: SHA256\n\nhi\n' > "$scratch/files/clear.asc"
head -c 4096 /dev/urandom > "$scratch/files/r.bin"
expect_type "$scratch/files/data.ASC" application/x-tidelume.asc
expect_type "$scratch/files/data.BIN" application/x-tidelume.bin
expect_type "$scratch/files/doc.asc" text/plain
expect_type "$scratch/files/clear.asc" text/plain
expect_type "$scratch/files/r.bin" application/octet-stream

"$root/usr/bin/orvantis-cli" file-types register >/dev/null
[ ! -e "$XDG_DATA_HOME/mime" ] && [ ! -e "$XDG_DATA_HOME/applications" ] ||
  fail "registering copied the package's files into the user's folder"
default_app=$(gio mime application/x-tidelume.bin)
[[ $(head -1 <<<"$default_app") == *orvantis.desktop ]] || fail "the program does not open .BIN data"
status=$("$root/usr/bin/orvantis-cli" file-types status)
[ "$(grep -c "installed for all users, opened by Orvantis" <<<"$status")" = 2 ] ||
  fail "status does not see the installed types: $status"
"$root/usr/bin/orvantis-cli" file-types remove >/dev/null
[ ! -e "$XDG_CONFIG_HOME/mimeapps.list" ] || fail "removing left the user's default entries"

echo "== remove the package"
dpkg --root="$root" --log=/dev/null --force-depends --force-script-chrootless -r orvantis >/dev/null 2>&1 ||
  fail "dpkg could not remove the package"
[ ! -e "$root/usr/share/applications/orvantis.desktop" ] || fail "the entry stayed"
! grep -q tidelume "$root/usr/share/mime/types" || fail "postrm left the types in the MIME database"
expect_type "$scratch/files/data.ASC" text/plain
echo "package-check: $(basename "$deb") passed"
