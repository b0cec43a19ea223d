#!/bin/sh
# Runs one command inside its own virtual X display, whatever display the caller has.
exec xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" "$@"
