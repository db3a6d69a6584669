#pragma once
// The bit layout of every plain, luminance and signed format. Fields not
// listed (X bits) are read as nothing and written as zero; channels a format
// lacks take the layout's defaults.

#include "codec/channel_layout.h"

namespace codec_layout {

using C = Channel;

//                                       channel shift bits signed
struct R8G8B8Layout : PackedLayout<3, Field<C::R, 16, 8>, Field<C::G, 8, 8>, Field<C::B, 0, 8>> {
    static constexpr ColorF defaults{0.0f, 0.0f, 0.0f, 1.0f};
};
struct A8R8G8B8Layout : PackedLayout<4, Field<C::A, 24, 8>, Field<C::R, 16, 8>, Field<C::G, 8, 8>, Field<C::B, 0, 8>> {
    static constexpr ColorF defaults{0.0f, 0.0f, 0.0f, 1.0f};
};
struct X8R8G8B8Layout : PackedLayout<4, Field<C::R, 16, 8>, Field<C::G, 8, 8>, Field<C::B, 0, 8>> {
    static constexpr ColorF defaults{0.0f, 0.0f, 0.0f, 1.0f};
};
struct R5G6B5Layout : PackedLayout<2, Field<C::R, 11, 5>, Field<C::G, 5, 6>, Field<C::B, 0, 5>> {
    static constexpr ColorF defaults{0.0f, 0.0f, 0.0f, 1.0f};
};
struct X1R5G5B5Layout : PackedLayout<2, Field<C::R, 10, 5>, Field<C::G, 5, 5>, Field<C::B, 0, 5>> {
    static constexpr ColorF defaults{0.0f, 0.0f, 0.0f, 1.0f};
};
struct A1R5G5B5Layout : PackedLayout<2, Field<C::A, 15, 1>, Field<C::R, 10, 5>, Field<C::G, 5, 5>, Field<C::B, 0, 5>> {
    static constexpr ColorF defaults{0.0f, 0.0f, 0.0f, 1.0f};
};
struct A4R4G4B4Layout : PackedLayout<2, Field<C::A, 12, 4>, Field<C::R, 8, 4>, Field<C::G, 4, 4>, Field<C::B, 0, 4>> {
    static constexpr ColorF defaults{0.0f, 0.0f, 0.0f, 1.0f};
};
struct R3G3B2Layout : PackedLayout<1, Field<C::R, 5, 3>, Field<C::G, 2, 3>, Field<C::B, 0, 2>> {
    static constexpr ColorF defaults{0.0f, 0.0f, 0.0f, 1.0f};
};
struct A8Layout : PackedLayout<1, Field<C::A, 0, 8>> {
    static constexpr ColorF defaults{1.0f, 1.0f, 1.0f, 1.0f};
};
struct A8R3G3B2Layout : PackedLayout<2, Field<C::A, 8, 8>, Field<C::R, 5, 3>, Field<C::G, 2, 3>, Field<C::B, 0, 2>> {
    static constexpr ColorF defaults{0.0f, 0.0f, 0.0f, 1.0f};
};
struct X4R4G4B4Layout : PackedLayout<2, Field<C::R, 8, 4>, Field<C::G, 4, 4>, Field<C::B, 0, 4>> {
    static constexpr ColorF defaults{0.0f, 0.0f, 0.0f, 1.0f};
};
struct L8Layout : PackedLayout<1, Field<C::L, 0, 8>> {
    static constexpr ColorF defaults{0.0f, 0.0f, 0.0f, 1.0f};
};
struct A8L8Layout : PackedLayout<2, Field<C::A, 8, 8>, Field<C::L, 0, 8>> {
    static constexpr ColorF defaults{0.0f, 0.0f, 0.0f, 1.0f};
};
struct A4L4Layout : PackedLayout<1, Field<C::A, 4, 4>, Field<C::L, 0, 4>> {
    static constexpr ColorF defaults{0.0f, 0.0f, 0.0f, 1.0f};
};

// Signed formats: U -> r, V -> g, W -> b, Q -> a; an unsigned luminance
// travels in a.
struct V8U8Layout : PackedLayout<2, Field<C::G, 8, 8, true>, Field<C::R, 0, 8, true>> {
    static constexpr ColorF defaults{0.0f, 0.0f, 0.0f, 1.0f};
};
struct L6V5U5Layout : PackedLayout<2, Field<C::A, 10, 6>, Field<C::G, 5, 5, true>, Field<C::R, 0, 5, true>> {
    static constexpr ColorF defaults{0.0f, 0.0f, 0.0f, 1.0f};
};
struct X8L8V8U8Layout : PackedLayout<4, Field<C::A, 16, 8>, Field<C::G, 8, 8, true>, Field<C::R, 0, 8, true>> {
    static constexpr ColorF defaults{0.0f, 0.0f, 0.0f, 1.0f};
};
struct Q8W8V8U8Layout : PackedLayout<4, Field<C::A, 24, 8, true>, Field<C::B, 16, 8, true>, Field<C::G, 8, 8, true>,
                                     Field<C::R, 0, 8, true>> {
    static constexpr ColorF defaults{0.0f, 0.0f, 0.0f, 1.0f};
};
struct V16U16Layout : PackedLayout<4, Field<C::G, 16, 16, true>, Field<C::R, 0, 16, true>> {
    static constexpr ColorF defaults{0.0f, 0.0f, 0.0f, 1.0f};
};
struct W11V11U10Layout
    : PackedLayout<4, Field<C::B, 21, 11, true>, Field<C::G, 10, 11, true>, Field<C::R, 0, 10, true>> {
    static constexpr ColorF defaults{0.0f, 0.0f, 0.0f, 1.0f};
};

}  // namespace codec_layout
