#!/usr/bin/env bash
# Builds the Debian package of the console from a Release build without the
# benchmarks (build/package) and checks it as Debian would: lintian with no
# errors, the desktop entry and the AppStream metadata valid, the files where
# they belong. Prints the package's path. Run by scripts/test.sh; also the
# way to make the package by hand.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/install-packages.sh test
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANE_BENCH=OFF \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build/package --parallel "$(nproc)"
(cd build/package && cpack -G DEB >/dev/null)
deb="$(ls -t build/package/vantor-corvane_*.deb | head -1)"

# Lintian's errors fail the check; its warnings are printed for the reader.
lintian --fail-on error --tag-display-limit 0 "$deb"
desktop-file-validate packaging/com.vantor.corvane.desktop
appstreamcli validate --no-net packaging/com.vantor.corvane.metainfo.xml >/dev/null

contents="$(dpkg-deb --contents "$deb" | awk '{print $6}')"
for wanted in ./usr/bin/Corvane ./usr/bin/corvane-render ./usr/bin/corvane-table ./usr/bin/corvane-probe \
  ./usr/bin/corvane-play ./usr/bin/corvane-uplink ./usr/bin/corvane-import ./usr/bin/corvane-schedule \
  ./usr/bin/corvane-report ./usr/share/man/man1/corvane-schedule.1.gz ./usr/share/man/man1/corvane-report.1.gz \
  ./usr/share/vantor-corvane/manual/index.html \
  ./usr/share/mime/packages/vantor-corvane.xml ./usr/share/applications/com.vantor.corvane.desktop \
  ./usr/share/metainfo/com.vantor.corvane.metainfo.xml \
  ./usr/share/icons/hicolor/48x48/apps/com.vantor.corvane.png \
  ./usr/share/icons/hicolor/scalable/apps/com.vantor.corvane.svg \
  ./usr/share/man/man1/Corvane.1.gz ./usr/share/man/man1/corvane-render.1.gz \
  ./usr/share/doc/vantor-corvane/copyright ./usr/share/doc/vantor-corvane/changelog.gz; do
  grep -qxF "$wanted" <<<"$contents" || { echo "package.sh: $wanted is missing from $deb" >&2; exit 1; }
done
grep -q '^\./usr/lib/.*vantor-corvane/plugins/corvane_gain\.so$' <<<"$contents" ||
  { echo "package.sh: the plug-ins are missing from $deb" >&2; exit 1; }
# An installed program's folder is never the place for settings or tables.
if grep -Eq '\.(cds|ini|log)$' <<<"$contents"; then
  echo "package.sh: $deb carries data files" >&2; exit 1
fi
echo "$deb"
