#include "HandoffDecoder.h"

#include <stdint.h>
#include <string.h>

namespace {

// Eight bytes of 16-bit text from a zero on: zero, byte, zero, byte...
// Every zero is dropped and every byte after one taken, so they give their
// four odd bytes. Loads and stores are little-endian, as on every target.
const uint64_t EVEN_BYTES = 0x00FF00FF00FF00FFull;

uint32_t OddBytes(uint64_t x) {
    uint64_t y = x >> 8;
    y = (y | (y >> 8)) & 0x0000FFFF0000FFFFull;
    return static_cast<uint32_t>(y | (y >> 16));
}

} // namespace

void RemoveZeroBytes(unsigned char* pb, size_t cb) {
    // Nothing moves before the first zero byte.
    const void* pZero = cb > 0 ? memchr(pb, 0, cb) : NULL;
    if (pZero == NULL)
        return;
    // The read position runs ahead of the write position by the number of
    // bytes dropped so far.
    size_t iWrite = static_cast<size_t>(static_cast<const unsigned char*>(pZero) - pb);
    size_t iRead = iWrite;
    while (iRead < cb) {
        uint64_t x;
        while (iRead + sizeof x <= cb) {
            memcpy(&x, pb + iRead, sizeof x);
            if ((x & EVEN_BYTES) != 0)
                break;
            uint32_t odd = OddBytes(x);
            memcpy(pb + iWrite, &odd, sizeof odd);
            iRead += sizeof x;
            iWrite += sizeof odd;
        }
        if (iRead >= cb)
            break;
        unsigned char b = pb[iRead++];
        if (b == 0)
            b = iRead < cb ? pb[iRead++] : 0;
        pb[iWrite++] = b;
    }
    // Past the end every byte read is zero, and so is every byte written.
    memset(pb + iWrite, 0, cb - iWrite);
}

size_t TextLength(const unsigned char* pb, size_t cb) {
    // An empty buffer may come without any storage behind it.
    if (cb == 0)
        return 0;
    const void* pZero = memchr(pb, 0, cb);
    return pZero != NULL ? static_cast<size_t>(static_cast<const unsigned char*>(pZero) - pb) : cb;
}

size_t TrimLineEnds(const char* pch, size_t cch) {
    while (cch > 0 && (pch[cch - 1] == '\r' || pch[cch - 1] == '\n'))
        --cch;
    return cch;
}

bool HasUtf16Bom(const unsigned char* pb, size_t cb) {
    return cb >= 2 && pb[0] == 0xFF && pb[1] == 0xFE;
}

bool HasUtf8Bom(const unsigned char* pb, size_t cb) {
    return cb >= 3 && pb[0] == 0xEF && pb[1] == 0xBB && pb[2] == 0xBF;
}
