#!/bin/sh
# Stands in for the installed torvel: tells the test which folder it was started in.
pwd -P >"$TORVEL_TEST_STARTED"
