#include "graphics/ImageFile.h"

#include <cstring>
#include <string>

#include "common/Error.h"
#include "common/Files.h"
#include "graphics/Bmp.h"
#include "graphics/Jpeg.h"
#include "graphics/Png.h"

namespace kv {
namespace {

const uint8_t kPngSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

Bytes EncodePpm(const Bitmap& bitmap) {
    std::string header = Format("P6\n%d %d\n255\n", bitmap.Width(), bitmap.Height());
    Bytes out(header.begin(), header.end());
    const size_t start = out.size();
    out.resize(start + static_cast<size_t>(bitmap.Width()) * bitmap.Height() * 3);
    uint8_t* dst = out.data() + start;
    for (int y = 0; y < bitmap.Height(); ++y) {
        const uint8_t* src = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x, src += 4, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
    }
    return out;
}

std::string LowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

}  // namespace

ImageFormat SniffImageFormat(std::span<const uint8_t> data) {
    if (data.size() >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) return ImageFormat::Jpeg;
    if (data.size() >= sizeof kPngSignature && std::memcmp(data.data(), kPngSignature, sizeof kPngSignature) == 0)
        return ImageFormat::Png;
    if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') return ImageFormat::Bmp;
    return ImageFormat::Unknown;
}

Bitmap DecodeImage(std::span<const uint8_t> data) {
    switch (SniffImageFormat(data)) {
        case ImageFormat::Jpeg: return DecodeJpeg(data);
        case ImageFormat::Png: return DecodePng(data);
        case ImageFormat::Bmp: return ReadBmp(data);
        case ImageFormat::Unknown: break;
    }
    throw Error("Unknown picture format");
}

Bitmap LoadImageFile(const std::filesystem::path& path) {
    try {
        Bytes data = ReadFileBytes(path);
        return DecodeImage(data);
    } catch (const Error& e) {
        throw Error(PathToUtf8(path) + ": " + e.what());
    }
}

void SaveImageFile(const Bitmap& bitmap, const std::filesystem::path& path) {
    const std::string extension = LowerAscii(PathToUtf8(path.extension()));
    if (bitmap.Empty()) throw Error(Format("%s: the picture is empty", PathToUtf8(path).c_str()));
    Bytes data;
    if (extension == ".png") {
        data = EncodePng(bitmap);
    } else if (extension == ".ppm") {
        data = EncodePpm(bitmap);
    } else if (extension == ".bmp") {
        data = WriteBmp(bitmap, 24);
    } else if (extension == ".jpg" || extension == ".jpeg") {
        data = EncodeJpeg(bitmap, 90);
    } else {
        throw Error(Format("%s: unknown picture file type (use .png, .ppm, .bmp, .jpg or .jpeg)",
                           PathToUtf8(path).c_str()));
    }
    AtomicFileWriter writer(path);
    writer.Write(data);
    writer.Commit();
}

}  // namespace kv
