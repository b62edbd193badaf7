#pragma once

// The size command: ESC ".D1;" X ";" Y ":", X and Y in 1/40 mm as signed
// decimal numbers, with no terminating zero or line end on the wire.
const int SIZE_UNITS_PER_MM = 40;
const int SIZE_COMMAND_BUFFER = 80;

// The sizes in millimetres whose command value still fits a signed 32-bit int.
const int MIN_SENDABLE_SIZE_MM = -53687091;
const int MAX_SENDABLE_SIZE_MM = 53687091;

// Formats the command for sizes in that range; returns its length in bytes.
int FormatSizeCommand(char (&szCommand)[SIZE_COMMAND_BUFFER], int nSizeX, int nSizeY);
