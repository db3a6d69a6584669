#pragma once
// Decoding a whole image file held in memory into an Image, by content.

#include "texload/image.h"

// Each reader: non-negative when it recognised and decoded the data; E_FAIL
// when the data is not of its format (or is broken); ERR_IMAGETOOLARGE when
// the picture exceeds the pixel limit (image_limit.h), refused before its
// memory is allocated; E_OUTOFMEMORY. A failed reader may leave memory
// attached to the image; DecodeImageFile removes it.
HRESULT ReadBmp(Image* image, const BYTE* data, UINT size);
HRESULT ReadPpm(Image* image, const BYTE* data, UINT size);
HRESULT ReadDds(Image* image, const BYTE* data, UINT size);
HRESULT ReadJpeg(Image* image, const BYTE* data, UINT size);
HRESULT ReadPng(Image* image, const BYTE* data, UINT size);
HRESULT ReadTga(Image* image, const BYTE* data, UINT size);
HRESULT ReadDib(Image* image, const BYTE* data, UINT size);

using ImageReader = HRESULT (*)(Image* image, const BYTE* data, UINT size);

// A reader with the name it goes by.
struct NamedImageReader {
    const char* name;
    ImageReader read;
};

// Strong signatures first; Targa (no signature) late; the headerless bitmap
// last, since the Targa reader refuses a bitmap information header.
inline constexpr NamedImageReader READER_ORDER[] = {
    {"BMP", ReadBmp}, {"PPM", ReadPpm}, {"DDS", ReadDds}, {"JPEG", ReadJpeg},
    {"PNG", ReadPng}, {"TGA", ReadTga}, {"DIB", ReadDib},
};

// Offers the bytes to each reader of READER_ORDER until one accepts them.
// S_OK; when none does (info then untouched), ERR_IMAGETOOLARGE if a reader
// refused the picture for the pixel limit, else ERR_INVALIDDATA.
HRESULT DecodeImageFile(Image* image, const BYTE* data, UINT size, ImageInfo* info);

// DecodeImageFile that also tells which reader accepted the data: on S_OK,
// *readerName (when readerName is not null) is that reader's name in
// READER_ORDER; otherwise it is left alone.
HRESULT DecodeImageFileNamingReader(Image* image, const BYTE* data, UINT size, ImageInfo* info,
                                    const char** readerName);
