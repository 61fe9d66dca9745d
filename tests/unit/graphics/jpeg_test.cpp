#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "common/Error.h"
#include "graphics/Jpeg.h"

namespace {

std::string JpegErrorText(int code) { return "JPEG error #" + std::to_string(code); }

template <typename F>
std::string ErrorOf(F&& f) {
    try {
        f();
    } catch (const kv::Error& e) {
        return e.what();
    }
    return "(no error)";
}

// Writes a uniform w x h JPEG whose every pixel has the given input samples, in the
// stream colour space `stored`; `adobe` controls the Adobe marker. Fixture data only:
// libjpeg's default error handler is fine here.
kv::Bytes MakeUniformJpeg(int w, int h, J_COLOR_SPACE input, J_COLOR_SPACE stored,
                          std::vector<uint8_t> samples, bool adobe) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = w;
    cinfo.image_height = h;
    cinfo.input_components = static_cast<int>(samples.size());
    cinfo.in_color_space = input;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, stored);
    cinfo.write_Adobe_marker = adobe ? TRUE : FALSE;
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row;
    for (int x = 0; x < w; ++x) row.insert(row.end(), samples.begin(), samples.end());
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    kv::Bytes bytes(out, out + size);
    std::free(out);
    return bytes;
}

kv::Bitmap Gradient(int w, int h) {
    kv::Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = b.ScanLine(y) + 4 * x;
            p[0] = static_cast<uint8_t>(x * 255 / (w - 1));
            p[1] = static_cast<uint8_t>(y * 255 / (h - 1));
            p[2] = static_cast<uint8_t>((x + y) * 255 / (w + h - 2));
            p[3] = static_cast<uint8_t>(x * 7 + y);  // not part of a JPEG: must come back 255
        }
    return b;
}

TEST(Jpeg, EncodeDecodeRoundTrip) {
    kv::Bitmap src = Gradient(37, 23);  // odd sizes: partial MCUs on both axes
    kv::Bytes jpeg = kv::EncodeJpeg(src, 90);

    kv::JpegInfo info = kv::ReadJpegHeader(jpeg);
    EXPECT_EQ(info.Width, 37);
    EXPECT_EQ(info.Height, 23);
    EXPECT_EQ(info.Components, 3);
    EXPECT_EQ(info.ColorSpace, JCS_YCbCr);
    EXPECT_FALSE(info.Progressive);

    kv::Bitmap out = kv::DecodeJpeg(jpeg);
    ASSERT_EQ(out.Width(), 37);
    ASSERT_EQ(out.Height(), 23);
    long total = 0;
    int worst = 0;
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x) {
            const uint8_t* a = src.ScanLine(y) + 4 * x;
            const uint8_t* b = out.ScanLine(y) + 4 * x;
            for (int c = 0; c < 3; ++c) {
                int d = std::abs(a[c] - b[c]);
                total += d;
                worst = std::max(worst, d);
            }
            ASSERT_EQ(b[3], 255);
        }
    EXPECT_LT(static_cast<double>(total) / (37 * 23 * 3), 3.0);
    EXPECT_LT(worst, 24);

    // A lower quality gives a smaller file of the same picture.
    EXPECT_LT(kv::EncodeJpeg(Gradient(64, 64), 30).size(), kv::EncodeJpeg(Gradient(64, 64), 95).size());
}

TEST(Jpeg, EncoderWritesBaseline420) {
    kv::Bytes jpeg = kv::EncodeJpeg(Gradient(40, 40));
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&cinfo, TRUE);
    EXPECT_FALSE(cinfo.progressive_mode);
    EXPECT_FALSE(cinfo.arith_code);
    EXPECT_EQ(cinfo.comp_info[0].h_samp_factor, 2);
    EXPECT_EQ(cinfo.comp_info[0].v_samp_factor, 2);
    EXPECT_EQ(cinfo.comp_info[1].h_samp_factor, 1);
    EXPECT_EQ(cinfo.comp_info[2].v_samp_factor, 1);
    jpeg_destroy_decompress(&cinfo);
}

TEST(Jpeg, DecodesEveryColourSpace) {
    struct Case {
        const char* name;
        J_COLOR_SPACE input, stored;
        std::vector<uint8_t> samples;
        bool adobe;
        uint32_t expected;  // 0xAARRGGBB
    };
    const Case cases[] = {
        {"grey", JCS_GRAYSCALE, JCS_GRAYSCALE, {77}, false, 0xFF4D4D4D},
        {"YCbCr", JCS_RGB, JCS_YCbCr, {200, 100, 50}, false, 0xFFC86432},
        {"RGB", JCS_RGB, JCS_RGB, {200, 100, 50}, true, 0xFFC86432},
        // Adobe writers store 255 - ink: these samples mean cyan 55, magenta 155, yellow 205, no black.
        {"CMYK Adobe", JCS_CMYK, JCS_CMYK, {200, 100, 50, 255}, true, 0xFFC86432},
        {"YCCK Adobe", JCS_CMYK, JCS_YCCK, {200, 100, 50, 255}, true, 0xFFC86432},
        // Without the marker the samples are ink amounts.
        {"CMYK plain", JCS_CMYK, JCS_CMYK, {55, 155, 205, 0}, false, 0xFFC86432},
        {"CMYK plain with black", JCS_CMYK, JCS_CMYK, {0, 0, 0, 128}, false, 0xFF7F7F7F},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kv::Bitmap b = kv::DecodeJpeg(MakeUniformJpeg(16, 16, c.input, c.stored, c.samples, c.adobe));
        ASSERT_EQ(b.Width(), 16);
        uint32_t got = b.Pixel(8, 8);
        for (int shift = 0; shift < 32; shift += 8) {
            int g = (got >> shift) & 0xFF, e = (c.expected >> shift) & 0xFF;
            EXPECT_NEAR(g, e, 3) << "byte " << shift / 8 << std::hex << " got 0x" << got;
        }
    }
}

TEST(Jpeg, BadStreamsRaiseLibjpegErrorNumber) {
    const std::vector<uint8_t> garbage = {0xFF, 0xD8, 0xFF, 0x13, 0x57, 0x9B, 0xDF, 0x24, 0x68};
    const std::vector<uint8_t> notJpeg = {'B', 'M', 0, 0, 0, 0};
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        int code;
    };
    const Case cases[] = {
        {"empty", {}, JERR_INPUT_EMPTY},
        {"marker garbage", garbage, JERR_UNKNOWN_MARKER},
        {"not a JPEG", notJpeg, JERR_NO_SOI},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ErrorOf([&] { kv::DecodeJpeg(c.bytes); }), JpegErrorText(c.code));
        EXPECT_EQ(ErrorOf([&] { kv::ReadJpegHeader(c.bytes); }), JpegErrorText(c.code));
    }
}

TEST(Jpeg, TruncatedScanDataStillDecodes) {
    kv::Bytes jpeg = kv::EncodeJpeg(Gradient(64, 64));
    jpeg.resize(jpeg.size() * 6 / 10);
    kv::Bitmap b = kv::DecodeJpeg(jpeg);  // libjpeg warns and fills the rest
    EXPECT_EQ(b.Width(), 64);
    EXPECT_EQ(b.Height(), 64);
}

TEST(Jpeg, RefusesOversizedPicture) {
    kv::Bytes jpeg = kv::EncodeJpeg(Gradient(16, 16));
    // Patch the frame header's width (SOF0: FF C0, length, precision, height, width).
    size_t sof = 2;
    while (sof + 9 < jpeg.size() && !(jpeg[sof] == 0xFF && jpeg[sof + 1] == 0xC0)) ++sof;
    ASSERT_LT(sof + 9, jpeg.size());
    jpeg[sof + 7] = 0x9C;  // 40000
    jpeg[sof + 8] = 0x40;
    EXPECT_EQ(kv::ReadJpegHeader(jpeg).Width, 40000);
    EXPECT_EQ(ErrorOf([&] { kv::DecodeJpeg(jpeg); }), JpegErrorText(JERR_IMAGE_TOO_BIG));
}

TEST(Jpeg, EmptyBitmapCannotBeEncoded) {
    EXPECT_EQ(ErrorOf([] { kv::EncodeJpeg(kv::Bitmap()); }), JpegErrorText(JERR_EMPTY_IMAGE));
}

}  // namespace
