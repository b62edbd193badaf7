// The one-pass hand-off decoder gives what the byte-moving loop gives, on
// every input, and its text length stays inside the buffer.
#include <stdint.h>
#include <string.h>

#include <vector>

#include "handoff/HandoffDecoder.h"
#include "reference/ReferenceHandoffDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cb) {
    // The reference is quadratic: long inputs only slow the search down.
    if (cb > 4096)
        return 0;
    std::vector<unsigned char> decoded(pData, pData + cb);
    std::vector<unsigned char> expected(pData, pData + cb);
    RemoveZeroBytes(decoded.data(), decoded.size());
    ReferenceRemoveZeroBytes(expected.data(), expected.size());
    if (decoded != expected)
        __builtin_trap();
    size_t cch = TextLength(decoded.data(), decoded.size());
    if (cch > cb || (cch < cb && decoded[cch] != 0) ||
        (cch > 0 && memchr(decoded.data(), 0, cch) != NULL))
        __builtin_trap();
    return 0;
}
