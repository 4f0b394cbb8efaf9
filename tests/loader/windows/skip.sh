#!/usr/bin/env bash
# A Windows test that cannot run on this machine: says why and exits 77,
# which ctest reports as a skip. With VANTREL_REQUIRE_WINDOWS64 set (CI,
# which installs everything) a skipped win64 test fails instead.
# Usage: skip.sh win32|win64 REASON
echo "skipped: $2" >&2
if [ "$1" = win64 ] && [ -n "${VANTREL_REQUIRE_WINDOWS64:-}" ]; then
  echo "VANTREL_REQUIRE_WINDOWS64 is set: the 64-bit Windows tests must run here" >&2
  exit 1
fi
exit 77
