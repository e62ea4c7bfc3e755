// Writes a surface as a .png or .bmp picture file, top row first, written
// aside and renamed so that a failure leaves no partial file.
#pragma once

#include <string>

class CPOffscreen;

// The format follows the extension (.bmp, else .png). On failure, error
// says why.
bool WritePictureFile(const CPOffscreen& surface, const std::string& path, std::string& error);
