#!/usr/bin/env bash
# Fault injection on the real program (tests/e2e/faults.py), run like the end-to-end scenarios.
exec bash "$(dirname "$0")/run-e2e.sh" --suite faults "$@"
