#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# package_contents.sh CPACK CPACK_CONFIG SCRATCH_DIR CHECK_DEB PROGRAM...
# Packs the build tree into SCRATCH_DIR (emptied first) and runs CHECK_DEB on the .deb.
set -euo pipefail
cpack=$1 config=$2 scratch=$3 check_deb=$4
shift 4
rm -rf "$scratch"
mkdir -p "$scratch"
"$cpack" --config "$config" -G DEB -B "$scratch"
shopt -s nullglob
debs=("$scratch"/tessivar_*.deb)
if [ ${#debs[@]} -ne 1 ]; then
  echo "expected one tessivar_*.deb in $scratch, found ${#debs[@]}" >&2
  exit 1
fi
"$check_deb" "${debs[0]}" "$@"
