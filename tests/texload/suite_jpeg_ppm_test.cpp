#include <gtest/gtest.h>

#include "base/tovtex_defs.h"
#include "suite_test_util.h"

using namespace texload_test;

namespace {

TEST(JpegSuite, SamplesDecodeOrAreRefusedAsTheirReadmeSays) {
    struct Case {
        const char* file;
        HRESULT result;
        D3DFORMAT format;
        const char* reference;  // null: no comparison
    };
    const Case cases[] = {
        {"pillow/hopper.jpg", S_OK, D3DFMT_X8R8G8B8, nullptr},
        {"pillow/hopper_gray.jpg", S_OK, D3DFMT_L8, nullptr},
        {"pillow/pil_sample_rgb.jpg", S_OK, D3DFMT_X8R8G8B8, nullptr},
        {"pillow/pil_sample_cmyk.jpg", E_FAIL, D3DFMT_UNKNOWN, nullptr},
        {"pillow/truncated_app14.jpg", S_OK, D3DFMT_X8R8G8B8, nullptr},
        {"pillow/truncated_jpeg.jpg", S_OK, D3DFMT_X8R8G8B8, nullptr},  // partial picture
        {"pillow/hopper_16bit_qtables.jpg", S_OK, D3DFMT_X8R8G8B8, nullptr},
        {"image-rs/progressive/test.jpg", S_OK, D3DFMT_X8R8G8B8, "image-rs/reference/test.jpg.png"},
        {"image-rs/progressive/cat.jpg", S_OK, D3DFMT_X8R8G8B8, "image-rs/reference/cat.jpg.png"},
        {"jpeg-decoder/restarts.jpg", S_OK, D3DFMT_X8R8G8B8, "jpeg-decoder/restarts.png"},
        {"jpeg-decoder/non-interleaved-mcu.jpg", S_OK, D3DFMT_X8R8G8B8, "jpeg-decoder/non-interleaved-mcu.png"},
        {"jpeg-decoder/grayscale_24x16_sampling2x2.jpg", S_OK, D3DFMT_L8,
         "jpeg-decoder/grayscale_24x16_sampling2x2.png"},
        {"jpeg-decoder/extraneous-data.jpg", S_OK, D3DFMT_X8R8G8B8, "jpeg-decoder/extraneous-data.png"},
        {"jpeg-decoder/progressive-missing-dc.jpg", S_OK, D3DFMT_L8, "jpeg-decoder/progressive-missing-dc.png"},
        {"jpeg-decoder/mozilla/jpg-cmyk-1.jpg", E_FAIL, D3DFMT_UNKNOWN, nullptr},
        {"jpeg-decoder/mozilla/jpg-progressive.jpg", S_OK, D3DFMT_X8R8G8B8, "jpeg-decoder/mozilla/jpg-progressive.png"},
        {"zigimg/tuba_restart_prog.jpg", S_OK, D3DFMT_X8R8G8B8, nullptr},
        {"zigimg/subsampling_411.jpg", S_OK, D3DFMT_X8R8G8B8, nullptr},
        {"zigimg/subsampling_422.jpg", S_OK, D3DFMT_X8R8G8B8, nullptr},
        {"libjpeg-turbo/testorig.jpg", S_OK, D3DFMT_X8R8G8B8, nullptr},
        {"libjpeg-turbo/monkey12.jpg", E_FAIL, D3DFMT_UNKNOWN, nullptr},
    };
    for (const Case& c : cases) {
        Decoded d;
        DecodeWith(ReadJpeg, Suite(std::string("jpeg/") + c.file), &d);
        ASSERT_EQ(d.hr, c.result) << c.file;
        if (c.result != S_OK) continue;
        EXPECT_EQ(d.image.format, c.format) << c.file;
        if (c.format == D3DFMT_X8R8G8B8) {
            for (LONG x = 0; x < d.image.rect.right; ++x) {
                ASSERT_EQ(d.image.pixels[4 * x + 3], 0) << c.file << ": the fourth byte is 0";
            }
        }
        if (c.reference != nullptr) {
            EXPECT_LE(MaxColourDifference(ToRgba8(d.image), ReferencePng(Suite(std::string("jpeg/") + c.reference))), 4)
                << c.file;
        }
    }
}

TEST(JpegSuite, VariantsOfOnePictureAgree) {
    // A stray byte after APP14 only warns; the IJG image matches its
    // published pixmap decode; its arithmetic-coded twin decodes too.
    const std::pair<const char*, const char*> pairs[] = {
        {"jpeg/pillow/truncated_app14.jpg", "jpeg/pillow/pil_sample_rgb.jpg"},
    };
    for (const auto& [a, b] : pairs) {
        Decoded da, db;
        DecodeWith(ReadJpeg, Suite(a), &da);
        DecodeWith(ReadJpeg, Suite(b), &db);
        ASSERT_EQ(da.hr, S_OK) << a;
        ASSERT_EQ(db.hr, S_OK) << b;
        EXPECT_EQ(MaxChannelDifference(ToRgba8(da.image), ToRgba8(db.image)), 0) << a;
    }
    Decoded jpeg, ppm;
    DecodeWith(ReadJpeg, Suite("jpeg/libjpeg-turbo/testorig.jpg"), &jpeg);
    DecodeWith(ReadPpm, Suite("ppm/libjpeg-turbo/testorig.ppm"), &ppm);
    ASSERT_EQ(ppm.hr, S_OK);
    EXPECT_LE(MaxChannelDifference(ToRgba8(jpeg.image), ToRgba8(ppm.image)), 3);
    Decoded arithmetic;
    DecodeWith(ReadJpeg, Suite("jpeg/libjpeg-turbo/testimgari.jpg"), &arithmetic);
    ASSERT_EQ(arithmetic.hr, S_OK);
    EXPECT_EQ(arithmetic.image.rect.right, 227);
    EXPECT_EQ(arithmetic.image.rect.bottom, 149);
}

TEST(JpegSuite, CorruptAndCmykFilesReachNoOtherReader) {
    for (const char* file : {"jpeg/pillow/pil_sample_cmyk.jpg", "jpeg/image-rs/regression/oss-fuzz-36829.jpeg"}) {
        test_support::Bytes bytes = test_support::ReadFileBytes(Suite(file));
        Image image;
        HRESULT hr = DecodeImageFile(&image, bytes.data(), static_cast<UINT>(bytes.size()), nullptr);
        if (std::string(file).find("cmyk") != std::string::npos) {
            EXPECT_EQ(hr, ERR_INVALIDDATA) << file;
        } else {
            EXPECT_TRUE(hr == S_OK || hr == ERR_INVALIDDATA) << file;
        }
    }
}

TEST(PpmSuite, SamplesDecodeAsTheirReadmeSays) {
    struct Case {
        const char* file;
        HRESULT result;
        const char* reference;
    };
    const Case cases[] = {
        {"pillow/hopper_8bit.ppm", S_OK, "pillow/hopper.png"},
        {"pillow/hopper_8bit_plain.ppm", S_OK, "pillow/hopper.png"},
        {"pillow/hopper.ppm", S_OK, nullptr},
        {"pillow/hopper.pnm", S_OK, nullptr},
        {"pillow/hopper_8bit.pgm", E_FAIL, nullptr},
        {"pillow/negative_size.ppm", E_FAIL, nullptr},
        {"libjpeg-turbo/testorig.ppm", S_OK, nullptr},
        {"image-rs-fuzz/id_000236,src_000159,op_flip2,pos_7,+cov", E_FAIL, nullptr},
        {"image-rs-fuzz/id_000242,src_000159,op_havoc,rep_2,+cov", E_FAIL, nullptr},
    };
    for (const Case& c : cases) {
        Decoded d;
        DecodeWith(ReadPpm, Suite(std::string("ppm/") + c.file), &d);
        ASSERT_EQ(d.hr, c.result) << c.file;
        if (c.result == S_OK) {
            EXPECT_GT(d.image.rect.right, 100) << c.file;
        }
        if (c.reference != nullptr) {
            EXPECT_EQ(MaxChannelDifference(ToRgba8(d.image), ReferencePng(Suite(std::string("ppm/") + c.reference))), 0)
                << c.file;
        }
    }
}

}  // namespace
