// SPDX-License-Identifier: MIT
#pragma once

// The sample pictures that the jobs print, compiled into the program. Each is a one-bit raster:
// rows top to bottom, whole bytes per row, the most significant bit the leftmost dot, a set bit
// a printed (black) dot. The size is not stored with the data; the names carry it in dots
// (width, then height), and the constants below give it in bytes per row and rows.

namespace SampleBitmap {
struct Size
{
    unsigned short bytesPerRow;
    unsigned short rows;
    constexpr unsigned bytes() const { return unsigned(bytesPerRow) * rows; }
};
inline constexpr Size ZP_company_384_94{48, 94};
inline constexpr Size wingdings_256_20{32, 20};
inline constexpr Size wingdings_72_20{9, 20};
inline constexpr Size rlLogoBuff1{32, 256};
inline constexpr Size sample_company_384_256bmp{48, 256};
inline constexpr Size zuvrel_qr_code_232_232{29, 232};
} // namespace SampleBitmap

extern const unsigned char ZP_company_384_94[4512];
extern const unsigned char wingdings_256_20[640];
extern const unsigned char wingdings_72_20[180];
extern const unsigned char rlLogoBuff1[8192];
extern const unsigned char sample_company_384_256bmp[12288];
extern const unsigned char zuvrel_qr_code_232_232[6728];
