# The suite's closing line, summed from the runners' own tallies, so that it
# says the same whoever starts the runners (this script or a test driver).
#
# Each tally appends one line to the file named by PELLOMAR_RESULTS (the
# Python runners through scripts/lib/suite.py):
#   LABEL <tab> PASSED <tab> FAILED <tab> SKIPPED <tab> WHY SKIPPED
#
# start_results DIR: exports PELLOMAR_RESULTS, an empty file in DIR.
# record_result LABEL PASSED FAILED SKIPPED [WHY]: appends one tally.
# closing_line: prints "N passed, N failed, N skipped: " and then what was
#   skipped and why, or "nothing skipped".
start_results() {
  export PELLOMAR_RESULTS="$1/results.tsv"
  : >"$PELLOMAR_RESULTS"
}

record_result() {
  printf '%s\t%s\t%s\t%s\t%s\n' "$1" "$2" "$3" "$4" "${5:-}" >>"$PELLOMAR_RESULTS"
}

closing_line() {
  awk -F'\t' '
    { passed += $2; failed += $3; skipped += $4 }
    $4 > 0 {
      what = what sep $1 " (" $4 ")"; sep = ", "
      if ($5 != "" && !($5 in seen)) { seen[$5]; why = why wsep $5; wsep = "; " }
    }
    END {
      printf "%d passed, %d failed, %d skipped: ", passed, failed, skipped
      if (skipped == 0) print "nothing skipped"
      else print what (why == "" ? "" : ", because " why)
    }' "$PELLOMAR_RESULTS"
}
