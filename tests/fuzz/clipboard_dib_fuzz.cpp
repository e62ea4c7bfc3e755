// Fuzzes the reader of clipboard DIB blocks: any block must give nothing or
// a surface whose rows lie inside the block, and the surface must write back
// as a block of the size it claims.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/dib_block.h"
#include "platform/offscreen.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly the input's size, so a read past the block shows.
    std::vector<uint8_t> block(data, data + size);
    std::unique_ptr<CPOffscreen> surface(SurfaceFromDibBlock(block.data(), block.size(), true));
    if (!surface) return 0;
    unsigned sum = 0;
    const int rowBytes = surface->Width() * surface->BitsPerPixel() / 8;
    for (int y = 0; y < surface->Height(); ++y)
        for (int i = 0; i < rowBytes; ++i) sum += surface->Row(y)[i];
    std::vector<uint8_t> out(DibBlockSize(*surface));
    if (out.empty() || !WriteDibBlock(*surface, out.data(), out.size())) __builtin_trap();
    return sum == 0xFFFFFFFFu ? 1 : 0;
}
