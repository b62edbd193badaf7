#pragma once

#include <stddef.h>

// The byte-moving loop first described for the hand-off: every zero byte met
// shifts the rest down by one, and the place freed at the end reads as zero.
// Quadratic, and kept only to check the one-pass decoder against.
inline void ReferenceRemoveZeroBytes(unsigned char* pb, size_t cb) {
    for (size_t i = 0; i < cb; ++i) {
        if (pb[i] != 0)
            continue;
        for (size_t j = i; j + 1 < cb; ++j)
            pb[j] = pb[j + 1];
        pb[cb - 1] = 0;
    }
}
