// Whether the render kernels written with SSE2 intrinsics are built:
// TF_PIXEL_SSE2 is defined on every x86-64 build (SSE2 is part of the
// architecture) unless TF_NO_PIXEL_SSE2 asks for the scalar kernels, which
// any other processor builds, so that the two can be compared anywhere.
#pragma once

#if (defined(__SSE2__) || defined(_M_X64)) && !defined(TF_NO_PIXEL_SSE2)
#define TF_PIXEL_SSE2 1
#endif
