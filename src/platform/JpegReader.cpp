#include "platform/ImageReaders.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>

namespace platform::detail {
namespace {

// libjpeg reports fatal errors by calling error_exit, which must not
// return; we jump back to the reader instead of letting it end the process.
struct JpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void OnJpegError(j_common_ptr cinfo)
{
    auto* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, manager->message);
    std::longjmp(manager->jump, 1);
}

// libjpeg only warns when the data ends early, at the end of the file or
// at a marker inside it, and pads the picture with grey; a truncated
// texture file is a broken one, so those warnings fail. (A few bytes of
// file claiming a huge picture would otherwise cost a whole decode.)
void OnJpegMessage(j_common_ptr cinfo, int level)
{
    const int code = cinfo->err->msg_code;
    if (level < 0 && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER))
        OnJpegError(cinfo);
}

enum class JpegStep { Done, Failed, BadSize, BadColourSpace };

// Holds only trivially destructible locals, so the jump back from the
// error handler skips nothing that needs cleaning up.
JpegStep DecodeJpeg(const std::uint8_t* data, std::size_t size, Image& image, JpegErrorManager& manager,
                    unsigned& width, unsigned& height)
{
    jpeg_decompress_struct cinfo;
    cinfo.err = jpeg_std_error(&manager.base);
    manager.base.error_exit = OnJpegError;
    manager.base.emit_message = OnJpegMessage;
    manager.message[0] = '\0';
    if (setjmp(manager.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return JpegStep::Failed;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    width = cinfo.image_width;
    height = cinfo.image_height;
    if (width == 0 || height == 0 || width > kMaxImageEdge || height > kMaxImageEdge) {
        jpeg_destroy_decompress(&cinfo);
        return JpegStep::BadSize;
    }
    if (cinfo.jpeg_color_space != JCS_GRAYSCALE && cinfo.jpeg_color_space != JCS_YCbCr &&
        cinfo.jpeg_color_space != JCS_RGB) {
        jpeg_destroy_decompress(&cinfo);
        return JpegStep::BadColourSpace;
    }
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);

    image = MakeImage(static_cast<int>(width), static_cast<int>(height), ImageFormat::X8R8G8B8);
    JSAMPARRAY row =
        (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, width * 3, 1);
    std::uint8_t* out = image.levels[0].bytes.data();
    while (cinfo.output_scanline < cinfo.output_height) {
        jpeg_read_scanlines(&cinfo, row, 1);
        const JSAMPLE* in = row[0];
        for (unsigned x = 0; x < width; ++x, in += 3, out += 4) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            out[3] = 0xFF;
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return JpegStep::Done;
}

} // namespace

bool ReadJpeg(const std::uint8_t* data, std::size_t size, Image& image, std::string& error)
{
    JpegErrorManager manager;
    unsigned width = 0;
    unsigned height = 0;
    switch (DecodeJpeg(data, size, image, manager, width, height)) {
    case JpegStep::Done:
        return true;
    case JpegStep::Failed:
        error = std::string("JPEG data is corrupt or truncated: ") + manager.message;
        return false;
    case JpegStep::BadSize:
        CheckImageEdges("JPEG", width, height, error);
        return false;
    case JpegStep::BadColourSpace:
        error = "JPEG colour space is not supported (only grey, YCbCr and RGB)";
        return false;
    }
    return false;
}

} // namespace platform::detail
