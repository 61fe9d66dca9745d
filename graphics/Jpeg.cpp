#include "graphics/Jpeg.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "common/Error.h"

namespace kv {
namespace {

// libjpeg reports fatal errors through error_exit, which must not return: jump back to
// the caller's frame and raise the error there, after libjpeg's state is destroyed.
//
// Every function below that calls setjmp keeps only trivially destructible locals and
// touches C++ objects only through pointers owned by its caller, so a longjmp never
// skips a destructor. Such a function returns false when libjpeg failed; its caller
// destroys libjpeg's state and throws.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void OnError(j_common_ptr cinfo) {
    auto* mgr = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::longjmp(mgr->jump, 1);
}

void OnMessage(j_common_ptr, int) {}  // warnings are not errors: say nothing

void InstallErrorManager(j_common_ptr cinfo, ErrorManager* err) {
    cinfo->err = jpeg_std_error(&err->pub);
    err->pub.error_exit = OnError;
    err->pub.emit_message = OnMessage;
}

[[noreturn]] void ThrowJpegError(int code) { throw Error(Format("JPEG error #%d", code)); }

// ---------------------------------------------------------------------------
// Decoding

struct Decoder {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    bool cmyk = false;      // libjpeg hands out CMYK samples that we convert ourselves
    bool inverted = false;  // CMYK stored inverted (Adobe)
};

// Reads the header and starts decompression; on success the output size is known.
bool StartDecoding(Decoder* d, const uint8_t* data, size_t size) {
    if (setjmp(d->err.jump)) return false;
    jpeg_create_decompress(&d->cinfo);
    jpeg_mem_src(&d->cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&d->cinfo, TRUE);
    if (d->cinfo.image_width > static_cast<JDIMENSION>(kMaxJpegSide) ||
        d->cinfo.image_height > static_cast<JDIMENSION>(kMaxJpegSide))
        ERREXIT1(&d->cinfo, JERR_IMAGE_TOO_BIG, static_cast<unsigned>(kMaxJpegSide));
    switch (d->cinfo.jpeg_color_space) {
        case JCS_CMYK:
        case JCS_YCCK:
            d->cinfo.out_color_space = JCS_CMYK;
            d->cmyk = true;
            d->inverted = d->cinfo.saw_Adobe_marker != 0;
            break;
        default:  // grey, YCbCr and RGB convert straight to BGRA
            d->cinfo.out_color_space = JCS_EXT_BGRA;
            break;
    }
    jpeg_start_decompress(&d->cinfo);
    return true;
}

// Reads every scanline into the rows of `pixels`; CMYK rows go through `cmykRow` first.
bool ReadScanlines(Decoder* d, uint8_t* pixels, size_t stride, uint8_t* cmykRow) {
    if (setjmp(d->err.jump)) return false;
    jpeg_decompress_struct* cinfo = &d->cinfo;
    const JDIMENSION width = cinfo->output_width;
    while (cinfo->output_scanline < cinfo->output_height) {
        uint8_t* out = pixels + static_cast<size_t>(cinfo->output_scanline) * stride;
        JSAMPROW row = d->cmyk ? cmykRow : out;
        if (jpeg_read_scanlines(cinfo, &row, 1) != 1) continue;
        if (!d->cmyk) continue;
        for (JDIMENSION x = 0; x < width; ++x) {
            const uint8_t* s = cmykRow + static_cast<size_t>(x) * 4;
            // Inverted samples hold 255 - ink, so each is already the light let through.
            unsigned c = s[0], m = s[1], y = s[2], k = s[3];
            if (!d->inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
            uint8_t* p = out + static_cast<size_t>(x) * 4;
            p[0] = static_cast<uint8_t>((y * k + 127) / 255);
            p[1] = static_cast<uint8_t>((m * k + 127) / 255);
            p[2] = static_cast<uint8_t>((c * k + 127) / 255);
            p[3] = 255;
        }
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

// ---------------------------------------------------------------------------
// Encoding

struct Encoder {
    jpeg_compress_struct cinfo{};
    ErrorManager err{};
    unsigned char* output = nullptr;  // malloc'ed by libjpeg's memory destination
    unsigned long outputSize = 0;
};

bool Compress(Encoder* e, const uint8_t* pixels, size_t stride, int width, int height, int quality) {
    if (setjmp(e->err.jump)) return false;
    jpeg_compress_struct* cinfo = &e->cinfo;
    jpeg_create_compress(cinfo);
    jpeg_mem_dest(cinfo, &e->output, &e->outputSize);
    cinfo->image_width = static_cast<JDIMENSION>(width);
    cinfo->image_height = static_cast<JDIMENSION>(height);
    cinfo->input_components = 4;
    cinfo->in_color_space = JCS_EXT_BGRA;
    jpeg_set_defaults(cinfo);  // YCbCr, luma 2x2 sampled against chroma: 4:2:0
    jpeg_set_quality(cinfo, quality, TRUE);
    cinfo->optimize_coding = TRUE;
    jpeg_start_compress(cinfo, TRUE);
    while (cinfo->next_scanline < cinfo->image_height) {
        // libjpeg does not write through input rows.
        JSAMPROW row = const_cast<uint8_t*>(pixels + static_cast<size_t>(cinfo->next_scanline) * stride);
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

}  // namespace

JpegInfo ReadJpegHeader(std::span<const uint8_t> data) {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    InstallErrorManager(reinterpret_cast<j_common_ptr>(&cinfo), &err);
    if (setjmp(err.jump)) {
        int code = err.pub.msg_code;
        jpeg_destroy_decompress(&cinfo);
        ThrowJpegError(code);
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&cinfo, TRUE);
    JpegInfo info;
    info.Width = static_cast<int>(cinfo.image_width);
    info.Height = static_cast<int>(cinfo.image_height);
    info.Components = cinfo.num_components;
    info.ColorSpace = cinfo.jpeg_color_space;
    info.Progressive = cinfo.progressive_mode != 0;
    jpeg_destroy_decompress(&cinfo);
    return info;
}

Bitmap DecodeJpeg(std::span<const uint8_t> data) {
    Decoder d;
    InstallErrorManager(reinterpret_cast<j_common_ptr>(&d.cinfo), &d.err);
    auto fail = [&d]() {
        int code = d.err.pub.msg_code;
        jpeg_destroy_decompress(&d.cinfo);
        ThrowJpegError(code);
    };
    if (!StartDecoding(&d, data.data(), data.size())) fail();

    Bitmap bitmap;
    std::vector<uint8_t> cmykRow;
    try {
        bitmap.SetSize(static_cast<int>(d.cinfo.output_width), static_cast<int>(d.cinfo.output_height));
        if (d.cmyk) cmykRow.resize(static_cast<size_t>(d.cinfo.output_width) * 4);
    } catch (...) {
        jpeg_destroy_decompress(&d.cinfo);
        throw;
    }
    if (!ReadScanlines(&d, bitmap.Bits(), bitmap.Stride(), cmykRow.data())) fail();
    jpeg_destroy_decompress(&d.cinfo);
    return bitmap;
}

Bytes EncodeJpeg(const Bitmap& bitmap, int quality) {
    Encoder e;
    InstallErrorManager(reinterpret_cast<j_common_ptr>(&e.cinfo), &e.err);
    quality = std::clamp(quality, 1, 100);
    bool ok = Compress(&e, bitmap.Bits(), bitmap.Stride(), bitmap.Width(), bitmap.Height(), quality);
    int code = e.err.pub.msg_code;
    jpeg_destroy_compress(&e.cinfo);
    Bytes out;
    if (ok) {
        try {
            out.assign(e.output, e.output + e.outputSize);
        } catch (...) {
            std::free(e.output);
            throw;
        }
    }
    std::free(e.output);
    if (!ok) ThrowJpegError(code);
    return out;
}

}  // namespace kv
