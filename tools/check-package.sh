#!/usr/bin/env bash
# Builds the release packages (build/package: .tar.gz and .deb), checks what
# `cmake --install` puts under a prefix, installs the .deb with dpkg, runs the
# installed otawrap on the bundled sample, checks the man page, and removes
# the package again.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh build package
build=build/package
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DOTAWRAP_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j 2 | tail -1

# cmake --install: exactly the tool, the man page and the documentation.
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix/usr" >/dev/null
expected="usr/bin/otawrap
usr/share/bash-completion/completions/otawrap
usr/share/doc/otawrap/README.md
usr/share/doc/otawrap/changelog.gz
usr/share/doc/otawrap/copyright
usr/share/doc/otawrap/docs/checks.md
usr/share/doc/otawrap/docs/commands.md
usr/share/doc/otawrap/docs/development.md
usr/share/doc/otawrap/docs/file-format.md
usr/share/doc/otawrap/docs/hosting.md
usr/share/doc/otawrap/docs/install.md
usr/share/doc/otawrap/docs/internals.md
usr/share/doc/otawrap/docs/performance.md
usr/share/doc/otawrap/docs/signing.md
usr/share/doc/otawrap/docs/toolkit.md
usr/share/doc/otawrap/docs/web.md
usr/share/doc/otawrap/examples/sample.hex
usr/share/doc/otawrap/examples/sample.raw
usr/share/doc/otawrap/examples/test-ca-credentials.txt
usr/share/doc/otawrap/examples/test-ca-key.txt
usr/share/doc/otawrap/examples/test-credentials.txt
usr/share/man/man1/otawrap.1.gz
usr/share/zsh/vendor-completions/_otawrap"
installed=$(cd "$prefix" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
if [ "$installed" != "$expected" ]; then
  echo "cmake --install put these files under the prefix:"
  echo "$installed"
  exit 1
fi
# The copyright file names the licence by its Debian short name and points at
# the text Debian keeps.
grep -qx 'License: Apache-2.0' "$prefix/usr/share/doc/otawrap/copyright" &&
  grep -q '/usr/share/common-licenses/Apache-2.0' "$prefix/usr/share/doc/otawrap/copyright" ||
  { echo "the installed copyright file does not name the Apache-2.0 licence"; exit 1; }
MANPAGER=cat MANWIDTH=80 man -M "$prefix/usr/share/man" otawrap 2>/dev/null | grep -q "otawrap - make, sign" ||
  { echo "man otawrap does not render from the installed prefix"; exit 1; }

(cd "$build" && cpack -G "TGZ;DEB" >cpack.log 2>&1) || { cat "$build/cpack.log"; exit 1; }
deb=$(ls "$build"/otawrap_*.deb)
tgz=$(ls "$build"/otawrap-*.tar.gz)
echo "packages: $(($(stat -c %s "$deb") / 1024)) KiB $(basename "$deb"), $(($(stat -c %s "$tgz") / 1024)) KiB $(basename "$tgz")"
dpkg-deb -f "$deb" Package Version Maintainer Depends
# The C++ runtime is linked in; glibc is the one shared library.
depends=$(dpkg-deb -f "$deb" Depends)
case "$depends" in
  "libc6 (>= "*")") ;;
  *) echo "the package should depend on libc6 alone: Depends: $depends"; exit 1 ;;
esac
# Debian's own package checker: no errors (warnings are printed, not fatal).
lintian --fail-on error "$deb" || { echo "lintian reports errors in $(basename "$deb")"; exit 1; }

# Install, use and remove the .deb on this machine.
if dpkg -s otawrap >/dev/null 2>&1; then
  # Left by an interrupted earlier run on a CI machine; elsewhere, refuse.
  if [ "${CI:-}" != true ]; then
    echo "otawrap is already installed as a package; not touching it"
    exit 1
  fi
  dpkg -r otawrap >/dev/null
fi
dpkg -i "$deb" >/dev/null
trap 'dpkg -r otawrap >/dev/null; rm -rf "$prefix"' EXIT
status=0
work=$prefix/run
mkdir -p "$work/out"
/usr/bin/otawrap /usr/share/doc/otawrap/examples/sample.raw -o"$work/out" -pQUILLDEV || status=1
[ -f "$work/out/100B-0042-00010203.zigbee" ] || { echo "the installed otawrap wrote no file"; status=1; }
/usr/bin/otawrap --info "$work/out/100B-0042-00010203.zigbee" >/dev/null || { echo "--info failed"; status=1; }
[ "$(man -w otawrap)" = /usr/share/man/man1/otawrap.1.gz ] || { echo "man -w otawrap: $(man -w otawrap 2>&1)"; status=1; }
dpkg -r otawrap >/dev/null
trap 'rm -rf "$prefix"' EXIT
if [ -e /usr/bin/otawrap ]; then echo "dpkg -r left /usr/bin/otawrap"; status=1; fi
[ $status -eq 0 ] && echo "package: installed, converted the sample, man page found, removed"
exit $status
