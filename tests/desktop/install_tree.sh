#!/usr/bin/env bash
# Fixture: `cmake --install` of the build into a fresh prefix, as a person or a package does.
#   install_tree.sh BUILD-DIR PREFIX
source "$(dirname "$0")/desktop_lib.sh"
build=$1
prefix=$2
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" > "$prefix.log" || fail "cmake --install failed (see $prefix.log)"
[ -x "$prefix/bin/Chorvane" ] || fail "no bin/Chorvane in $prefix"
echo "installed $(files_under "$prefix" | wc -l) files into $prefix"
