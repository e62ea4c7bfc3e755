// Reads PNG pictures (grey, grey and alpha, RGB, RGBA and palette, of the
// depths PNG allows for each, not interlaced) into a top-down 32-bit surface, for pictures that other
// programs put on the clipboard.
#pragma once

#include <cstddef>
#include <cstdint>

class CPOffscreen;

// False, with the surface left invalid, for anything it cannot read whole.
bool ReadPng(const uint8_t* data, size_t size, CPOffscreen& surface);
