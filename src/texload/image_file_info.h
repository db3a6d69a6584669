#pragma once
// What an image file holds, learnt from its header alone: no pixel is
// decoded, so the cost does not grow with the picture.

#include "texload/image.h"

// An image file as its header describes it.
struct ImageFileDescription {
    ImageInfo info;      // as DecodeImageFile would report it
    UINT faces;          // 6 for a cube map, otherwise 1
    const char* reader;  // the reader that takes the file, as READER_ORDER names it
};

// Recognises the file as DecodeImageFile does (the same readers in the same
// order, by content) and fills *info as DecodeImageFile would, from the
// header alone. A file refused here is refused by DecodeImageFile too; a
// file whose header is sound but whose pixel data is broken is accepted
// here and refused there. info may be null. S_OK; ERR_IMAGETOOLARGE or
// ERR_INVALIDDATA as DecodeImageFile returns them (info then untouched);
// D3DERR_INVALIDCALL for null data or a size of 0.
HRESULT GetImageFileInfo(const void* data, UINT size, ImageInfo* info);

// GetImageFileInfo that also gives the face count and the reader's name.
// description may be null.
HRESULT DescribeImageFile(const void* data, UINT size, ImageFileDescription* description);
