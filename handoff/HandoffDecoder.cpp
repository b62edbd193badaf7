#include "HandoffDecoder.h"

#include <string.h>

void RemoveZeroBytes(unsigned char* pb, size_t cb) {
    // One pass with a read position that runs ahead of the write position by
    // the number of bytes dropped so far.
    size_t iRead = 0;
    for (size_t iWrite = 0; iWrite < cb; ++iWrite) {
        unsigned char b = iRead < cb ? pb[iRead++] : 0;
        if (b == 0)
            b = iRead < cb ? pb[iRead++] : 0;
        pb[iWrite] = b;
    }
}

size_t TextLength(const unsigned char* pb, size_t cb) {
    // An empty buffer may come without any storage behind it.
    if (cb == 0)
        return 0;
    const void* pZero = memchr(pb, 0, cb);
    return pZero != NULL ? static_cast<size_t>(static_cast<const unsigned char*>(pZero) - pb) : cb;
}

bool HasUtf16Bom(const unsigned char* pb, size_t cb) {
    return cb >= 2 && pb[0] == 0xFF && pb[1] == 0xFE;
}
