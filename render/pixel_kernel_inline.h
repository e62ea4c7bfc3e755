// TF_PIXEL_KERNEL: the per-pixel kernels are inlined into the stamp walkers
// even where the compiler would judge them too large (or the unit too grown
// to inline more): a call per pixel costs the dither cursor and the paint a
// trip through memory.
#pragma once

#if defined(__GNUC__)
#define TF_PIXEL_KERNEL inline __attribute__((always_inline))
#else
#define TF_PIXEL_KERNEL inline
#endif
