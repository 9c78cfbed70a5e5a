# Sourced by scripts/test: the house checks on the size of the tests, on what they cover and on the
# documentation's links.

code_folders=(app driver view serial settings gauge pointsfile workbook history tools cli)
coverage_folders=(app driver view serial settings gauge pointsfile workbook history cli)
max_test_ratio=35       # per cent of the code, in non-blank lines
min_line_coverage=93    # per cent
min_branch_coverage=82  # per cent, without exception-only and unreachable branches

# Non-blank lines of the .cpp and .h files under the given folders, as git sees the tree.
nonblank_lines() {
    git ls-files -z --cached --others --exclude-standard -- "${@/%//*.cpp}" "${@/%//*.h}" |
        xargs -0 -r cat | grep -cv '^[[:space:]]*$' || true
}

# Prints the test-to-code ratio; fails when the tests outgrow the limit.
check_test_ratio() {
    local folders=() folder code tests
    for folder in "${code_folders[@]}"; do
        [ -d "$folder" ] && folders+=("$folder")
    done
    code=$(nonblank_lines "${folders[@]}")
    tests=$(nonblank_lines tests)
    local tenths=$((tests * 1000 / code))
    echo "tests: $tests lines, code (${folders[*]}): $code lines," \
        "ratio $((tenths / 10)).$((tenths % 10)) % (at most $max_test_ratio %)"
    if [ "$tenths" -gt $((max_test_ratio * 10)) ]; then
        echo "check: the tests are over $max_test_ratio % of the code" >&2
        return 1
    fi
}

# Readies a --coverage build for a fresh run of its tests: no counts of an earlier run, and no
# notes of objects the build no longer makes (a removed test, a target reshaped), which gcovr would
# count as uncovered or fail to merge.
reset_coverage() {
    local build targets=$1/CMakeFiles/TargetDirectories.txt note dir object
    build=$(cd "$1" && pwd)
    find "$build" \( -name '*.gcda' -o -name '*.gcov' \) -delete
    [ -f "$targets" ] || return 0
    while IFS= read -r -d '' note; do
        dir=${note%%.dir/*}.dir
        object=${note#"$build"/}
        object=${object%.gcno}.o
        if ! grep -qxF "$dir" "$targets" || ! grep -qF "$object:" "$dir/build.make" 2>/dev/null; then
            rm -f "$note"
        fi
    done < <(find "$build" -name '*.gcno' -print0)
}

# Prints line and branch coverage of the code from a --coverage build whose tests have just run;
# fails under the floors. Each main() is left out: the end-to-end tests run the programs in
# processes of their own.
check_coverage() {
    local build=$1 filter
    filter="($(
        IFS='|'
        echo "${coverage_folders[*]}"
    ))/"
    echo "coverage of ${coverage_folders[*]} (floors: lines $min_line_coverage %," \
        "branches $min_branch_coverage %):"
    gcovr --root . "$build" --filter "$filter" --exclude 'app/main\.cpp' --exclude 'cli/main\.cpp' \
        --exclude-throw-branches --exclude-unreachable-branches -j "$(nproc)" \
        --print-summary --output "$build/coverage.txt" \
        --fail-under-line "$min_line_coverage" --fail-under-branch "$min_branch_coverage" ||
        {
            echo "check: coverage is under its floors" >&2
            return 1
        }
}

# True when process PID carries this run's mark (QORB_TEST_RUN) in its environment, which every
# program a run starts inherits, also once its parent has gone. Builtins only: a child of this shell
# would carry the mark itself.
carries_run_mark() {
    local variable
    while IFS= read -r -d '' variable; do
        if [ "$variable" = "QORB_TEST_RUN=$QORB_TEST_RUN" ]; then
            return 0
        fi
    done 2>/dev/null <"/proc/$1/environ"
    return 1
}

# Fails when processes the run started (a simulator, a window, Xvfb) are still running at its end,
# 5 s after it, naming them; then ends them, so that none outlives the report.
check_no_leftovers() {
    [ -n "${QORB_TEST_RUN:-}" ] || return 0
    local left=() entry pid
    for _ in {1..50}; do
        left=()
        for entry in /proc/[0-9]*; do
            pid=${entry#/proc/}
            if [ "$pid" != $$ ] && [ "$pid" != "$BASHPID" ] && carries_run_mark "$pid"; then
                left+=("$pid")
            fi
        done
        [ ${#left[@]} -gt 0 ] || return 0
        sleep 0.1
    done
    echo "check: the run left these processes running; they are ended now:" >&2
    ps -o pid=,user=,args= -p "$(
        IFS=,
        echo "${left[*]}"
    )" >&2 || true
    kill "${left[@]}" 2>/dev/null || true
    return 1
}

# The lines of Markdown files that are prose, each as FILE<TAB>LINE: fenced code blocks and inline
# code spans left out (a span may go on over the next line), where a bracket or a hash is not a
# link or a heading.
markdown_prose() {
    awk -v OFS='\t' '
        FNR == 1 || /^[[:space:]]*$/ { in_span = 0 }
        FNR == 1 { fenced = 0 }
        /^ *(```|~~~)/ { fenced = !fenced; next }
        !fenced {
            line = (in_span ? "`" : "") $0
            gsub(/`[^`]*`/, "", line)
            in_span = index(line, "`") > 0
            if (in_span) line = substr(line, 1, index(line, "`") - 1)
            print FILENAME, line
        }' "$@"
}

# The anchors of FILE's headings as GitHub names them: lower case, punctuation dropped, each blank
# a hyphen.
heading_anchors() {
    markdown_prose "$1" | cut -f2- | sed -En 's/^#{1,6} +//p' |
        LC_ALL=C.UTF-8 sed -E 's/ +#* *$//; s/.*/\L&/; s/[^[:alnum:] _-]//g; s/ /-/g'
}

# Fails when a relative link of README.md or docs/*.md reaches no file of the checkout, or its
# #anchor no heading of that file; links with a scheme (https:, mailto:) are left to their sites.
check_links() {
    local file target path anchor count=0 broken=0
    while IFS=$'\t' read -r file target; do
        count=$((count + 1))
        path=${target%%#*}
        anchor=${target#"$path"}
        anchor=${anchor#\#}
        if [ -z "$path" ]; then
            path=$file
        else
            path=$(dirname "$file")/$path
            path=${path#./}
        fi
        if [ ! -e "$path" ]; then
            echo "check: $file links to $target, which is not there" >&2
            broken=$((broken + 1))
        elif [ -n "$anchor" ] && ! heading_anchors "$path" | grep -qxF "$anchor"; then
            echo "check: $file links to $target, but $path has no heading '$anchor'" >&2
            broken=$((broken + 1))
        fi
    done < <(markdown_prose README.md docs/*.md | awk -F'\t' -v OFS='\t' '{
        line = substr($0, length($1) + 2)
        while (match(line, /\]\([^) ]+\)/)) {
            target = substr(line, RSTART + 2, RLENGTH - 3)
            line = substr(line, RSTART + RLENGTH)
            if (target !~ /^[a-zA-Z][a-zA-Z0-9+.-]*:/) print $1, target
        }
    }')
    echo "links: $count relative links in README.md and docs/*.md, $broken broken"
    [ "$broken" -eq 0 ]
}
