# The checks of the command tests: check NAME CONDITION, then report at the end.
passes=0
failures=0
check() {
    if eval "$2"; then
        echo "ok: $1"
        passes=$((passes + 1))
    else
        echo "FAILED: $1"
        failures=$((failures + 1))
    fi
}
report() {
    echo "$passes passed, $failures failed"
    [ "$failures" -eq 0 ]
}
