#!/usr/bin/env bash
# Two machines sharing one folder (tests/e2e/shared.py): the second Quillmate runs under a Wine
# prefix of its own, since one prefix allows one instance. That prefix is made once and its
# wineserver stopped at the end, by its prefix.
set -u
. "$(dirname "$0")/../../scripts/lib.sh"
second=$QM_BUILD/win64/wineprefix-second
(qm_wine_env "$second") || { qm_record shared 0 1; exit 1; }
trap 'WINEPREFIX=$second qm_stop_wine' EXIT
QM_SECOND_PREFIX=$second bash "$(dirname "$0")/run-e2e.sh" --suite shared "$@"
