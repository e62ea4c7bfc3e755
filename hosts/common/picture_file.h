// Writes a surface as a .png or .bmp picture file, top row first, written
// aside and renamed so that a failure leaves no partial file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CPOffscreen;

// The format follows the extension (.bmp, else .png). On failure, error
// says why.
bool WritePictureFile(const CPOffscreen& surface, const std::string& path, std::string& error);

enum class PictureFormat { kPng, kBmp };
// The bytes of a .png (RGB) or .bmp (24-bit, bottom-up) file in memory.
bool EncodePicture(const CPOffscreen& surface, PictureFormat format, std::vector<uint8_t>& data);
