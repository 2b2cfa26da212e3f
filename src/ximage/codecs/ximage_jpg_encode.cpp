// CxImageJPG encoding: the stream destination manager and the handing of
// bottom-up image rows to libjpeg as top-down BGR or greyscale scanlines.

#include "ximage/codecs/ximage_jpg.h"
#include "ximage/codecs/ximage_jpg_lib.h"
#include "ximage/toolkit/cx_stream.h"
#include "ximage/toolkit/cx_allocation.h"

namespace {

// The destination manager: hands the stream blocks of kJpgBufferSize bytes.
struct JpgDestination {
    jpeg_destination_mgr pub;  // first member: libjpeg hands back a pointer to it
    CxStream* stream;
    JOCTET buffer[kJpgBufferSize];
};

void JpgInitDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<JpgDestination*>(cinfo->dest);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kJpgBufferSize;
}

boolean JpgEmptyOutputBuffer(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<JpgDestination*>(cinfo->dest);
    if (dest->stream->Write(dest->buffer, 1, kJpgBufferSize) != kJpgBufferSize) ERREXIT(cinfo, JERR_FILE_WRITE);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kJpgBufferSize;
    return TRUE;
}

void JpgTermDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<JpgDestination*>(cinfo->dest);
    const size_t count = kJpgBufferSize - dest->pub.free_in_buffer;
    if (count > 0 && dest->stream->Write(dest->buffer, 1, count) != count) ERREXIT(cinfo, JERR_FILE_WRITE);
    dest->stream->Flush();
    if (dest->stream->Error()) ERREXIT(cinfo, JERR_FILE_WRITE);
}

uint16_t DensityOf(int32_t dpi) { return static_cast<uint16_t>(dpi < 1 ? 1 : dpi > 65535 ? 65535 : dpi); }

}  // namespace

// Everything the guarded encode touches after its recovery point.
struct JpgEncodeJob {
    jpeg_compress_struct cinfo;
    JpgErrorManager err;
    JpgDestination destination;
    bool grey;
};

bool CxImageJPG::Encode(CxStream* stream) {
    if (CheckEncodeArgs(stream)) return false;
    const bool grey = head.biClrUsed != 0 && IsGrayScale();
    if (head.biClrUsed != 0 && !grey) {
        SetLastErrorText("JPEG can save only RGB or GreyScale images");
        return false;
    }
    if (!grey && head.biBitCount != 24) {  // no palette means 24 bits in a valid image
        SetLastErrorText("JPEG can save only RGB or GreyScale images");
        return false;
    }
    auto* job = cximage::NewObject<JpgEncodeJob>();
    if (!job) {
        SetLastErrorText("JPEG: can't allocate memory");
        return false;
    }
    job->destination.stream = stream;
    job->grey = grey;
    const bool ok = EncodeGuarded(job);
    delete job;
    return ok;
}

bool CxImageJPG::EncodeGuarded(JpgEncodeJob* job) {
    jpeg_compress_struct* cinfo = &job->cinfo;
    cinfo->err = JpgInstallErrorManager(&job->err, this);
    if (setjmp(job->err.recovery)) {
        jpeg_destroy_compress(cinfo);
        return false;
    }
    jpeg_create_compress(cinfo);
    JpgGateMemory(reinterpret_cast<j_common_ptr>(cinfo));
    job->destination.pub.init_destination = JpgInitDestination;
    job->destination.pub.empty_output_buffer = JpgEmptyOutputBuffer;
    job->destination.pub.term_destination = JpgTermDestination;
    cinfo->dest = &job->destination.pub;

    cinfo->image_width = GetWidth();
    cinfo->image_height = GetHeight();
    cinfo->input_components = job->grey ? 1 : 3;
    cinfo->in_color_space = job->grey ? JCS_GRAYSCALE : JCS_EXT_BGR;  // the rows' own order
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, info.quality, FALSE);
    cinfo->density_unit = 1;
    cinfo->X_density = DensityOf(GetXDpi());
    cinfo->Y_density = DensityOf(GetYDpi());
    jpeg_start_compress(cinfo, TRUE);

    // 8-bit grey and 24-bit colour rows go to libjpeg as they are, several
    // per call; grey images of 1 or 4 bits are widened index by index into
    // one scanline (their palette is the identity, so index = level).
    const uint32_t width = GetWidth();
    const uint32_t height = GetHeight();
    if (job->grey && head.biBitCount < 8) {
        JSAMPARRAY row = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                                      static_cast<JDIMENSION>(width), 1);
        for (uint32_t y = height; y-- > 0;) {
            for (uint32_t x = 0; x < width; ++x) row[0][x] = GetPixelIndex(x, y);
            jpeg_write_scanlines(cinfo, row, 1);
        }
    } else {
        constexpr uint32_t kRowsPerCall = 16;
        JSAMPROW rows[kRowsPerCall];
        uint32_t done = 0;
        while (done < height) {
            const uint32_t count = height - done < kRowsPerCall ? height - done : kRowsPerCall;
            for (uint32_t i = 0; i < count; ++i) rows[i] = GetBits(height - 1 - done - i);
            // libjpeg only reads the rows it is given.
            const JDIMENSION taken = jpeg_write_scanlines(cinfo, rows, count);
            done += taken > 0 ? static_cast<uint32_t>(taken) : count;
        }
    }
    jpeg_finish_compress(cinfo);
    jpeg_destroy_compress(cinfo);
    return true;
}
