#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks one aspect of the result.
# Usage: installation_test.sh tree|validators|manuals|versions BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
check=$1 build=$2 source=$3 version=$4

prefix=$(mktemp -d /tmp/zandrel-install.XXXXXX)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

case $check in
tree)
  # Everything a desktop and man expect, where they look for it.
  expected=(bin/zandrel bin/zandrel-cli
            share/applications/zandrel.desktop
            share/metainfo/org.zandrel.zandrel.metainfo.xml
            share/icons/hicolor/scalable/apps/zandrel.svg
            share/man/man1/zandrel.1.gz share/man/man1/zandrel-cli.1.gz
            share/doc/zandrel/copyright share/doc/zandrel/changelog.gz
            share/doc/zandrel/README.md share/doc/zandrel/CHANGELOG.md)
  for size in 16 22 24 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/zandrel.png")
  done
  for file in "${expected[@]}"; do
    [ -s "$prefix/$file" ] || fail "$file is not installed"
  done
  for program in zandrel zandrel-cli; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program is not executable"
  done
  # An icon drawn at another size than its folder says is blurred or cut by the menu.
  for png in "$prefix"/share/icons/hicolor/*/apps/zandrel.png; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    file "$png" | grep -q "PNG image data, ${size/x/ x }," || fail "$png is not $size: $(file -b "$png")"
  done
  ;;

validators)
  desktop-file-validate "$prefix/share/applications/zandrel.desktop" || fail "desktop-file-validate"
  appstreamcli validate --no-net "$prefix"/share/metainfo/*.metainfo.xml || fail "appstreamcli"
  grep -q "^Icon=zandrel$" "$prefix/share/applications/zandrel.desktop" || fail "the entry's icon"
  # The screenshots the metainfo shows are in the repository.
  shots=0
  while IFS= read -r shot; do
    shots=$((shots + 1))
    [ -f "$source/$shot" ] || fail "metainfo shows $shot, which docs/ does not have"
  done < <(sed -n 's|.*<image>.*/\(docs/[^<]*\)</image>.*|\1|p' "$prefix"/share/metainfo/*.xml)
  [ "$shots" -gt 0 ] || fail "the metainfo shows no screenshot"
  ;;

manuals)
  for page in "$prefix"/share/man/man1/*.1.gz; do
    warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
  done
  # Every command that zandrel-cli --help lists is in the manual page's synopsis with every
  # option of its own --help, and every long option is described.
  cli="$prefix/bin/zandrel-cli"
  manual=$(MANWIDTH=200 man -l "$prefix/share/man/man1/zandrel-cli.1.gz" 2>/dev/null)
  commands=$("$cli" --help | sed -n '/^Subcommands:/,/^$/s/^  \([a-z][a-z-]*\)  .*/\1/p')
  [ -n "$commands" ] || fail "found no command in zandrel-cli --help"
  for command in $commands; do
    synopsis=$(grep -E "^ {7}zandrel-cli $command( |$)" <<<"$manual" || true)
    [ -n "$synopsis" ] || { fail "zandrel-cli.1 has no synopsis for $command"; continue; }
    while read -r long short; do
      [ "$long" != --help ] || continue
      grep -qE -- "(^|[[ ])${short:-$long}( |]|$)" <<<"$synopsis" ||
        fail "the synopsis of $command lacks ${short:-$long}"
      grep -qE -- "(^|[ ,])$long( |,|$)" <<<"$manual" || fail "zandrel-cli.1 does not describe $long"
    done < <("$cli" "$command" --help |
             sed -n 's/^  \(-[a-z]\)\?,\?\(--[a-z][a-z-]*\).*/\2 \1/p')
  done
  ;;

versions)
  # One version, from the project, wherever a user or a package manager reads it.
  [ "$("$prefix/bin/zandrel-cli" --version)" = "zandrel-cli $version" ] || fail "zandrel-cli --version"
  newest=$(grep -o '<release version="[^"]*"' "$prefix"/share/metainfo/*.xml | head -1 | cut -d'"' -f2)
  [ "$newest" = "$version" ] || fail "the metainfo's newest release is $newest, not $version"
  zcat "$prefix/share/doc/zandrel/changelog.gz" | head -1 | grep -qF "zandrel ($version)" ||
    fail "the Debian changelog is not for $version"
  grep -qE "^## \[(Unreleased|$version)\]" "$source/CHANGELOG.md" || fail "CHANGELOG.md has no section for $version"
  # The copyright file carries the whole licence.
  while IFS= read -r line; do
    [ -z "$line" ] || grep -qF -- "$line" "$prefix/share/doc/zandrel/copyright" ||
      fail "copyright lacks the licence line: $line"
  done <"$source/LICENSE"
  ;;

*)
  echo "unknown check $check"; exit 2 ;;
esac

[ "$failures" -eq 0 ]
