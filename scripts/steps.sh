# Sourced by the build scripts: `step NAME COMMAND...` runs the command as one named step and says
# how long it took. With ZENDRIK_STEP_LOG naming a file, it also adds "NAME<tab>SECONDS" to it,
# for .ci/run to add up.
step() {
  local name=$1
  shift
  local start=$EPOCHREALTIME
  "$@"
  local seconds
  seconds=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }')
  echo "== $name: $seconds s"
  if [ -n "${ZENDRIK_STEP_LOG:-}" ]; then
    printf '%s\t%s\n' "$name" "$seconds" >>"$ZENDRIK_STEP_LOG"
  fi
}
