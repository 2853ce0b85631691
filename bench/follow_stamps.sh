# Shared by the mpv pipe test and benchmark (sourced): each subtitle's lag
# behind the mpv stand-in, from the stand-in's log (tests/win32/mpvpipe: its
# clock anchors and the frames it showed) and the typist's stamps (the moment
# each subtitle was seen), both on the performance counter.
# stamp_lags LOG STAMPS FPS: a line per stamp, "FRAME CLOCK SHOWN": how many
# frames the stand-in's clock was past the subtitle's frame when it showed,
# and how many the frame it showed then (its time-pos) was past it; negative
# is early; "none" before the log has any.
stamp_lags() {
  awk -v fps="$3" '
    FNR == NR && $2 == "clock" { ct[++nc] = $1; cp[nc] = $3; cr[nc] = ($4 == "playing"); next }
    FNR == NR && $2 == "time-pos" { tt[++nt] = $1; tp[nt] = $3; next }
    FNR == NR { next }
    $1 == "stamp" {
      m = $2; frame = $NF
      i = 0; for (k = 1; k <= nc && ct[k] <= m; k++) i = k
      j = 0; for (k = 1; k <= nt && tt[k] <= m; k++) j = k
      clock = i ? sprintf("%.2f", (cp[i] + (cr[i] ? m - ct[i] : 0)) * fps - frame) : "none"
      print frame, clock, j ? sprintf("%.2f", tp[j] * fps - frame) : "none"
    }' "$1" "$2"
}

# lag_summary FIGURES FPS: median, p95, max and min of the clock and the shown
# lags, in frames and ms.
lag_summary() {
  local column
  for column in 2 3; do
    awk -v c=$column '{ print $c }' <<<"$1" | sort -g | awk -v fps="$2" -v name=$([ $column = 2 ] && echo clock || echo shown) '
      { v[++n] = $1 }
      END {
        if (n == 0) { print name ": none"; exit }
        p = int(0.95 * (n - 1) + 0.5) + 1; med = n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
        printf "%s: %d subtitles; lag in frames: median %.2f, p95 %.2f, max %.2f, min %.2f (ms: %.0f, %.0f, %.0f, %.0f)\n",
          name, n, med, v[p], v[n], v[1], med * 1000 / fps, v[p] * 1000 / fps, v[n] * 1000 / fps, v[1] * 1000 / fps
      }'
  done
}
