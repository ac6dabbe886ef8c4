// Describing 0x00RRGGBB images, row 0 at the top, to GDI.
#pragma once

#include <windows.h>

namespace tavrel::win32 {

inline BITMAPINFO TopDownBitmapInfo(int width, int height)
{
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

}
