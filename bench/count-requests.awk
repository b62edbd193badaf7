# count-requests.awk TRACE: from a `wineserver -d2` trace, the requests that
# each program made of the server from its start until it first showed a
# window, as "count name" lines in the order the programs first started; a
# program started more than once counts as its last start did, after the
# prefix has warmed up. Read after bench/wine-trace.awk. Plain POSIX awk: no gawk extensions.
/ init_(first_)?thread\(\) = 0 / {
    owner[tid()] = hexfield("pid")
    next
}
/^[0-9a-f]+: [a-z_0-9]+\( / {
    if (!(tid() in owner))
        next
    pid = owner[tid()]
    if (!(pid in name) || (pid in shown))
        next
    count[pid]++
    # The first window position that carries SWP_SHOWWINDOW (0x40).
    if ($2 == "set_window_pos(") {
        flags = hexfield("swp_flags")
        if (index("4567cdef", substr(flags, length(flags) - 1, 1)) > 0) {
            shown[pid] = 1
            if (!(name[pid] in last))
                order[++programs] = name[pid]
            last[name[pid]] = count[pid]
        }
    }
}
END {
    for (i = 1; i <= programs; i++)
        print last[order[i]], order[i]
}
