// add_printer NAME PORT: adds a printer for the demo, as a host machine
// would have one.
#include <windows.h>

#include <stdio.h>

#include "TestPrinter.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: add_printer NAME PORT\n");
        return 2;
    }
    if (!AddSpoolerPrinter(argv[1], argv[2])) {
        fprintf(stderr, "add_printer: the spooler refused \"%s\" on %s (error %lu)\n", argv[1],
                argv[2], GetLastError());
        return 1;
    }
    return 0;
}
