#include "platform/imaging/JpegDecoder.h"

#include "platform/kernel32/SystemLibrary.h"

#include <bit>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <cstring>
#include <jpeglib.h>
#include <jerror.h>
#include <utility>
#include <vector>

namespace platform {

namespace {

// libjpeg-turbo, loaded at the first JPEG: a run that shows no picture (most
// runs: nothing is due) does not load it.
class Libjpeg : public SystemLibrary<Libjpeg> {
public:
    decltype(&::jpeg_std_error) std_error = nullptr;
    decltype(&::jpeg_CreateDecompress) CreateDecompress = nullptr;
    decltype(&::jpeg_destroy_decompress) destroy_decompress = nullptr;
    decltype(&::jpeg_read_header) read_header = nullptr;
    decltype(&::jpeg_start_decompress) start_decompress = nullptr;
    decltype(&::jpeg_read_scanlines) read_scanlines = nullptr;
    decltype(&::jpeg_finish_decompress) finish_decompress = nullptr;
    decltype(&::jpeg_resync_to_restart) resync_to_restart = nullptr;

private:
    friend SystemLibrary<Libjpeg>;
    Libjpeg()
    {
        Load("libjpeg.so.62", Entry(std_error, "jpeg_std_error"), Entry(CreateDecompress, "jpeg_CreateDecompress"),
             Entry(destroy_decompress, "jpeg_destroy_decompress"), Entry(read_header, "jpeg_read_header"),
             Entry(start_decompress, "jpeg_start_decompress"), Entry(read_scanlines, "jpeg_read_scanlines"),
             Entry(finish_decompress, "jpeg_finish_decompress"), Entry(resync_to_restart, "jpeg_resync_to_restart"));
    }
};

// A progressive file may repeat scans without end; no real one has this many.
constexpr int kMaxScans = 1000;
// libjpeg's own working memory, beyond the output rows.
constexpr long kMaxWorkingMemory = 512L * 1024 * 1024;

// The error manager: libjpeg's fields first, then where to jump back to.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void OnError(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings (corrupt data that still decodes) and traces are not printed.
void OnMessage(j_common_ptr, int) {}

void StopWith(j_common_ptr cinfo, int code)
{
    cinfo->err->msg_code = code;
    cinfo->err->error_exit(cinfo);
}

// The source: all the bytes are in the buffer from the start, so a request
// for more means the data ended early.
void InitSource(j_decompress_ptr) {}
boolean FillInputBuffer(j_decompress_ptr cinfo)
{
    StopWith(reinterpret_cast<j_common_ptr>(cinfo), JERR_INPUT_EOF);
    return FALSE;
}
void SkipInputData(j_decompress_ptr cinfo, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr* src = cinfo->src;
    if (static_cast<unsigned long>(count) > src->bytes_in_buffer)
        StopWith(reinterpret_cast<j_common_ptr>(cinfo), JERR_INPUT_EOF);
    src->next_input_byte += count;
    src->bytes_in_buffer -= static_cast<std::size_t>(count);
}
void TermSource(j_decompress_ptr) {}

void OnProgress(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
        StopWith(cinfo, JERR_NOTIMPL);
}

Resolution DensityOf(const jpeg_decompress_struct& cinfo, UINT16 density)
{
    if (!cinfo.saw_JFIF_marker || density == 0)
        return Resolution{};
    switch (cinfo.density_unit) {
    case 1: return Resolution{density, 1};
    case 2: return Resolution{std::uint64_t{density} * 254u, 100u};  // dots per cm × 2.54
    default: return Resolution{};
    }
}

// Adobe writes CMYK inverted (255 is no ink), which is what libjpeg gives.
void CmykRowToPixels(const JSAMPLE* row, int width, std::uint32_t* dst)
{
    for (int x = 0; x < width; ++x) {
        const unsigned c = row[4 * x], m = row[4 * x + 1], y = row[4 * x + 2], k = row[4 * x + 3];
        dst[x] = 0xFF000000u | ((c * k / 255) << 16) | ((m * k / 255) << 8) | (y * k / 255);
    }
}

// Everything that libjpeg may jump out of. Holds no object with a destructor:
// the objects it fills live in the caller, so the jump skips nothing that
// needs cleaning up. Destroying the decompressor is the caller's.
bool DecodeInto(const Libjpeg& jpeg, jpeg_decompress_struct& cinfo, ErrorManager& err, jpeg_source_mgr& src,
                jpeg_progress_mgr& progress, const BYTE* data, std::size_t size, std::vector<JSAMPLE>& row,
                DecodedImage& out)
{
    if (setjmp(err.jump) != 0)
        return false;
    jpeg.CreateDecompress(&cinfo, JPEG_LIB_VERSION, sizeof(jpeg_decompress_struct));
    cinfo.mem->max_memory_to_use = kMaxWorkingMemory;
    src.init_source = InitSource;
    src.fill_input_buffer = FillInputBuffer;
    src.skip_input_data = SkipInputData;
    src.resync_to_restart = jpeg.resync_to_restart;
    src.term_source = TermSource;
    src.next_input_byte = data;
    src.bytes_in_buffer = size;
    cinfo.src = &src;
    progress.progress_monitor = OnProgress;
    cinfo.progress = &progress;

    if (jpeg.read_header(&cinfo, TRUE) != JPEG_HEADER_OK)
        return false;
    if (!ImageSizeAllowed(cinfo.image_width, cinfo.image_height))
        return false;
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    // Blue, green, red, 0xFF: on a little-endian machine that is 0xAARRGGBB.
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    jpeg.start_decompress(&cinfo);
    if (cinfo.output_components != 4)
        return false;

    const int width = static_cast<int>(cinfo.output_width);
    const int height = static_cast<int>(cinfo.output_height);
    row.resize(static_cast<std::size_t>(width) * 4);
    out.image.width = width;
    out.image.height = height;
    // Rows are added as they decode, so data that fails early has not made
    // the whole image's memory first.
    out.image.pixels.clear();
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rows[1] = {row.data()};
        if (jpeg.read_scanlines(&cinfo, rows, 1) != 1)
            return false;
        const std::size_t at = out.image.pixels.size();
        out.image.pixels.resize(at + width);
        if (cmyk)
            CmykRowToPixels(row.data(), width, out.image.pixels.data() + at);
        else
            std::memcpy(out.image.pixels.data() + at, row.data(), row.size());
    }
    jpeg.finish_decompress(&cinfo);
    out.x = DensityOf(cinfo, cinfo.X_density);
    out.y = DensityOf(cinfo, cinfo.Y_density);
    return true;
}

}  // namespace

bool JpegDecoder::LooksLikeJpeg(const BYTE* data, std::size_t size)
{
    return data != nullptr && size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

bool JpegDecoder::Decode(const BYTE* data, std::size_t size, DecodedImage& out)
{
    static_assert(sizeof(JSAMPLE) == 1, "8-bit samples");
    static_assert(std::endian::native == std::endian::little, "BGRA rows are copied as 0xAARRGGBB words");
    const Libjpeg& jpeg = Libjpeg::Get();
    if (!LooksLikeJpeg(data, size) || !jpeg.Loaded())
        return false;
    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    ErrorManager err;
    cinfo.err = jpeg.std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.emit_message = OnMessage;
    jpeg_source_mgr src{};
    jpeg_progress_mgr progress{};
    std::vector<JSAMPLE> row;
    DecodedImage image;
    const bool ok = DecodeInto(jpeg, cinfo, err, src, progress, data, size, row, image);
    jpeg.destroy_decompress(&cinfo);
    if (ok)
        out = std::move(image);
    return ok;
}

}  // namespace platform
