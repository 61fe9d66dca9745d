#include "graphics/Jpeg.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "common/Error.h"

namespace kv {
namespace {

// libjpeg reports fatal errors through error_exit, which must not return: jump back to
// the caller's frame and raise the error there, after libjpeg's state is destroyed.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void OnError(j_common_ptr cinfo) {
    auto* mgr = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::longjmp(mgr->jump, 1);
}

void OnMessage(j_common_ptr, int) {}  // warnings are not errors: say nothing

}  // namespace

JpegInfo ReadJpegHeader(std::span<const uint8_t> data) {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.emit_message = OnMessage;
    if (setjmp(err.jump)) {
        int code = err.pub.msg_code;
        jpeg_destroy_decompress(&cinfo);
        throw Error(Format("JPEG error #%d", code));
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

}  // namespace kv
