#include "SizeCommand.h"

#include <windows.h>

namespace {
const char ESC = 0x1B;
}

int FormatSizeCommand(char (&szCommand)[SIZE_COMMAND_BUFFER], int nSizeX, int nSizeY) {
    return wsprintfA(szCommand, "%c.D1;%d;%d:", ESC, nSizeX * SIZE_UNITS_PER_MM,
                     nSizeY * SIZE_UNITS_PER_MM);
}
