#pragma once
// Bitmap resources of a program, kept by resource id like its icons (RegisterIconResource).
// LoadBitmap hands out a new bitmap each time, which the caller deletes with DeleteObject, so
// code that loads and deletes per drawing never touches the table's own copy.

#include "platform/gdi/GdiObjects.h"

// The table keeps a copy of the bitmap; a second registration under one id replaces it.
// A handle that names no bitmap removes the id.
void RegisterBitmapResource(UINT id, HBITMAP bitmap);
// A copy of the bitmap registered under the id (carried in the pointer's value, as the
// original's resource ids are), or 0 when there is none.
HBITMAP LoadBitmap(void* instance, const char* bitmapId);
HBITMAP LoadBitmap(void* instance, UINT bitmapId);
