# Sourced by the practice client's smoke tests.
# expect_record FILE EXPECTED: waits up to 5 seconds for the record file to hold exactly EXPECTED
# (a trailing line break included); otherwise shows the difference and fails.
expect_record() {
    local record=$1 expected=$2
    for _ in $(seq 50); do
        [ "$(cat "$record" 2>/dev/null; printf x)" = "${expected}x" ] && break
        sleep 0.1
    done
    if [ "$(cat "$record" 2>/dev/null; printf x)" != "${expected}x" ]; then
        echo "record file differs:"
        diff <(printf '%s' "$expected" | od -c) <(od -c "$record")
        return 1
    fi
    echo "record file matches (${#expected} characters)"
}
