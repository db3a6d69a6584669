#pragma once
// tovtex: image files into Direct3D 8 textures. One include gives every
// public operation of the library.
//
// Loading a texture (sizes, levels and format fitted to the device; every
// level filled):
//
//     IDirect3DTexture8* texture = nullptr;
//     HRESULT hr = LoadTextureFromFileA(device, "picture.png", 0, 0, 0, 0, D3DFMT_A8R8G8B8,
//                                       D3DPOOL_MANAGED, FILTER_LINEAR, FILTER_LINEAR, 0,
//                                       nullptr, nullptr, &texture);
//
// or with every choice left to the library:
//
//     hr = LoadTextureFromFileDefaultA(device, "picture.png", &texture);
//
// Every operation returns an HRESULT and throws nothing. Readers: Windows
// bitmaps (with or without file header), DDS, JPEG, PNG, Targa and portable
// pixmaps, recognised by content.

// Shared values: DEFAULT_ARG, the FILTER_* arguments, ERR_INVALIDDATA,
// ERR_IMAGETOOLARGE.
#include "base/tovtex_defs.h"

// The pixel format table (PixelFormatInfo, PixelFormatTable, PixelFormats,
// FindPixelFormat), ColorF, PixelRegion, the codec base PixelCodec and its
// factory CreatePixelCodec.
#include "codec/color_f.h"
#include "codec/create_pixel_codec.h"
#include "codec/pixel_codec.h"
#include "codec/pixel_format_table.h"
#include "codec/pixel_region.h"

// The DXT block functions, one 4 x 4 block at a time (DecodeDxt1Block,
// EncodeDxt5Block, ...), and DxtBlockBytes / IsDxtFormat.
#include "codec/dxt_blocks.h"

// ConvertRegion: one block of pixels into another, with format conversion
// and point, box, linear or triangle resampling.
#include "convert/convert_region.h"

// Copying pixels, surfaces and volumes into texture levels:
// CopyPixelsToSurface, CopyPixelsToVolume, CopySurfaceToSurface,
// CopyVolumeToVolume.
#include "convert/surface_loading.h"

// Filling the mip levels below a source level: BuildTextureMips,
// BuildCubeTextureMips, BuildVolumeTextureMips.
#include "convert/mip_chain.h"

// The decoded image (Image, ImageInfo), DecodeImageFile, and
// DecodeImageFileNamingReader, which also names the reader that took the file.
#include "texload/image.h"
#include "texload/image_readers.h"

// What an image file holds, from its header alone (no pixel decoded):
// GetImageFileInfo, DescribeImageFile.
#include "texload/image_file_info.h"

// Decoding a JPEG or PNG file into the caller's 32-bit rows, with word of
// each row as it is finished: DecodeImageFileIntoRows.
#include "texload/image_file_rows.h"

// Copying image files, files and resources into texture levels:
// CopyImageFileToSurface, CopyFileToSurfaceA/W, CopyResourceToSurfaceA/W.
#include "texload/image_file_to_surface.h"

// The largest picture the readers decode: GetImagePixelLimit,
// SetImagePixelLimit (default 16384 x 16384 pixels).
#include "texload/image_limit.h"

// Result codes in words: ResultText ("file not found") and ResultName
// ("ERR_INVALIDDATA").
#include "texload/result_text.h"

// Fitting requests to the device: FitTexture, FitCubeTexture,
// FitVolumeTexture, FitTextureRequest, CreateFitted*Texture, FormatDistance.
#include "texload/texture_fitting.h"

// Textures and cube textures from memory, files and resources:
// LoadTextureFrom*, LoadCubeTextureFrom*, and their *Default forms.
#include "texload/texture_loader.h"

// Saving a texture, cube texture or volume texture (every level and face)
// as a DDS file, in memory or on disk: SaveTextureToDdsInMemory,
// SaveTextureToDdsFileA/W, and the DDS_SAVE_* flags.
#include "texload/dds_save.h"
