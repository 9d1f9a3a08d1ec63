#!/bin/sh
# Fails when a source of the program's or the libraries' layers includes a file by a path that
# climbs out of its folder ("../"): such an include is found beside the including file, past
# every include root, so it could reach a layer above. Tests and benchmarks may name their own
# helpers that way and are not searched.
#   sh no-climbing-includes.sh <repository> <folder>...
cd "$1" || exit 2
shift
grep -rnE --include='*.h' --include='*.cpp' --include='*.c' \
  '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<][^">]*\.\./' "$@"
case $? in
  0) echo "includes above climb out of their folder"; exit 1 ;;
  1) exit 0 ;;
  *) exit 2 ;;
esac
