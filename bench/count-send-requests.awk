# count-send-requests.awk TRACE: from a `wineserver -d2` trace of send_bench,
# the requests that each program it started made of the server, all its
# threads together, from the press of Enter to the bytes at the device and
# to its end, and the threads it started in that time (its new_thread
# requests), as "bytes end threads name" lines, each the median over the
# program's sends, in the order the programs first ran. send_bench --trace
# marks the press by asking for the event KestrinBenchPress, and then waits
# for a change in the device's folder: the server's first wakeup of it is
# the bytes' arrival (or its mark KestrinBenchBytes, should that come
# first). The program pressed is the last one it started. A send whose bytes
# did not arrive counts for nothing. Read after bench/wine-trace.awk. Plain POSIX awk.
function finish() {
    if (pressed != "" && bytes != "") {
        if (!(name[pressed] in sends))
            order[++programs] = name[pressed]
        sends[name[pressed]]++
        values[name[pressed], "bytes"] = values[name[pressed], "bytes"] " " bytes
        values[name[pressed], "end"] = values[name[pressed], "end"] " " requests
        values[name[pressed], "threads"] = values[name[pressed], "threads"] " " threads
    }
    pressed = bytes = ""
}
function median(list,    n, v, i, j, x) {
    n = split(list, v, " ")
    for (i = 2; i <= n; i++)
        for (j = i; j > 1 && v[j - 1] + 0 > v[j] + 0; j--) {
            x = v[j]; v[j] = v[j - 1]; v[j - 1] = x
        }
    return v[int((n + 1) / 2)]
}
/ init_first_thread\(\) = 0 / {
    owner[tid()] = hexfield("pid")
    next
}
# A thread of the same process (process=ffffffff, the caller's own) belongs
# to it from its start.
/ new_thread\(\) = 0 / {
    if (tid() in creating)
        owner[hexfield("tid")] = owner[tid()]
    delete creating[tid()]
    next
}
/ open_event\( .*name=L"KestrinBenchPress"/ {
    finish()
    pressed = last_started[owner[tid()]]
    bench = tid()
    requests = threads = 0
    next
}
$1 == bench ":" && ($2 == "*wakeup*" || /name=L"KestrinBenchBytes"/) {
    if (pressed != "" && bytes == "")
        bytes = requests
    next
}
/^[0-9a-f]+: [a-z_0-9]+\( / {
    if ($2 == "new_thread(" && index($0, "process=ffffffff"))
        creating[tid()] = 1
    if (pressed == "" || owner[tid()] != pressed)
        next
    requests++
    if ($2 == "new_thread(")
        threads++
}
END {
    finish()
    for (i = 1; i <= programs; i++)
        print median(values[order[i], "bytes"]), median(values[order[i], "end"]),
            median(values[order[i], "threads"]), order[i]
}
