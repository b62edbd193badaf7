# wine-trace.awk: what both counts of a `wineserver -d2` trace need, read
# before either (awk -f bench/wine-trace.awk -f bench/count-...awk): the
# thread a line is of, a hexadecimal field of it, and each started
# program's name by its process id (name[pid]), with the last program each
# process started (last_started[pid]). Plain POSIX awk.
function tid() { return substr($1, 1, length($1) - 1) }
function hexfield(key) {
    return match($0, key "=[0-9a-f]+") ? substr($0, RSTART + length(key) + 1, RLENGTH - length(key) - 1) : ""
}
/ new_process\( / {
    if (match($0, /imagepath=L"[^"]*"/)) {
        n = split(substr($0, RSTART + 11, RLENGTH - 12), parts, /\\/)
        pending[tid()] = parts[n]
    }
    next
}
/ new_process\(\) = 0 / {
    if (tid() in pending) {
        pid = hexfield("pid")
        name[pid] = pending[tid()]
        delete pending[tid()]
        last_started[owner[tid()]] = pid
    }
    next
}
