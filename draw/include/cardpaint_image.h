// cardpaint helpers that turn an imaging-library picture into raw rows (C++ callers).
#ifndef CARDPAINT_IMAGE_H
#define CARDPAINT_IMAGE_H

#include <Magick++.h>

extern "C" {

// One bit per pixel, most significant bit first, 1 where red is above 0; rows from the
// top, each padded to a multiple of 4 bytes. *outLength receives row length x height.
// out must hold that many bytes. Returns 0, or -2 when the picture cannot be read.
int PicToBins(Magick::Image& picture, char* out, int* outLength);

// The packing behind PicToBins with the row length given. Bits after the last pixel and
// padding bytes keep their old values. Returns 0, -1 when rowLength is too short for the
// picture's width, -2 when the picture cannot be read.
int mat_to_binary(Magick::Image picture, int rowLength, char* out);

// One byte per pixel, rows from the top: 0xFF where red is above 0, else 0x00.
// *outLength receives width x height. Returns 0, or -2 when the picture cannot be read.
int RGB2WB(Magick::Image& picture, char* out, int* outLength);
}

#endif
