# cpu_ns PID: the CPU time of every thread of a process so far, in nanoseconds, from /proc's
# schedstat; printed whole, as awk would not past 2^31. Sourced by the benchmark scripts.
cpu_ns() { cat "/proc/$1"/task/*/schedstat | awk '{ total += $1 } END { printf "%.0f\n", total }'; }
