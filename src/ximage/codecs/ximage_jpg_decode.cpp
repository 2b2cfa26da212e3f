// CxImageJPG decoding: the stream source manager, the error manager and the
// filling of the bottom-up image rows with libjpeg's top-down scanlines.
#include <cmath>

#include "ximage/codecs/ximage_jpg.h"
#include "ximage/codecs/ximage_jpg_lib.h"
#include "ximage/toolkit/cx_stream.h"
#include "ximage/toolkit/cx_allocation.h"

namespace {

// Memory libjpeg may take for its own buffers (the coefficient arrays of a
// progressive picture above all); beyond it the decode fails cleanly.
constexpr long kJpgMaxLibraryMemory = 1L << 30;

// A progressive file may repeat scans without end, each one a pass over the
// whole picture: a few kilobytes could keep the program busy for hours.
constexpr int kJpgMaxScans = 1000;

void JpgErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<JpgErrorManager*>(cinfo->err);
    char text[JMSG_LENGTH_MAX] = {};
    (*cinfo->err->format_message)(cinfo, text);
    err->image->SetLastErrorText(text);
    std::longjmp(err->recovery, 1);
}

// A windowless program has nowhere to print warnings; they stay counted.
void JpgSilentOutput(j_common_ptr) {}

// The source manager: reads the stream in blocks of kJpgBufferSize bytes.
struct JpgSource {
    jpeg_source_mgr pub;  // first member: libjpeg hands back a pointer to it
    CxStream* stream;
    bool startOfFile;
    JOCTET buffer[kJpgBufferSize];
};

void JpgInitSource(j_decompress_ptr cinfo) { reinterpret_cast<JpgSource*>(cinfo->src)->startOfFile = true; }

boolean JpgFillInputBuffer(j_decompress_ptr cinfo) {
    auto* src = reinterpret_cast<JpgSource*>(cinfo->src);
    size_t count = src->stream->Read(src->buffer, 1, kJpgBufferSize);
    if (count == 0) {
        if (src->startOfFile) ERREXIT(cinfo, JERR_INPUT_EMPTY);
        WARNMS(cinfo, JWRN_JPEG_EOF);
        // An inserted end-of-image marker: the missing rest decodes as empty.
        src->buffer[0] = 0xFF;
        src->buffer[1] = JPEG_EOI;
        count = 2;
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = count;
    src->startOfFile = false;
    return TRUE;
}

void JpgSkipInputData(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    auto* src = reinterpret_cast<JpgSource*>(cinfo->src);
    while (static_cast<unsigned long>(count) > src->pub.bytes_in_buffer) {
        count -= static_cast<long>(src->pub.bytes_in_buffer);
        JpgFillInputBuffer(cinfo);  // never returns FALSE: suspension is not used
    }
    src->pub.next_input_byte += count;
    src->pub.bytes_in_buffer -= static_cast<size_t>(count);
}

void JpgTermSource(j_decompress_ptr) {}

}  // namespace

jpeg_error_mgr* JpgInstallErrorManager(JpgErrorManager* err, CxImage* image) {
    jpeg_std_error(&err->pub);
    err->pub.error_exit = JpgErrorExit;
    err->pub.output_message = JpgSilentOutput;
    err->image = image;
    return &err->pub;
}

namespace {

JpgErrorManager& ManagerOf(j_common_ptr cinfo) { return *reinterpret_cast<JpgErrorManager*>(cinfo->err); }

void PassGate(j_common_ptr cinfo) {
    if (!cximage::AllocationAllowed()) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
}

void* GatedSmall(j_common_ptr cinfo, int pool, size_t bytes) {
    PassGate(cinfo);
    return ManagerOf(cinfo).library.alloc_small(cinfo, pool, bytes);
}
void* GatedLarge(j_common_ptr cinfo, int pool, size_t bytes) {
    PassGate(cinfo);
    return ManagerOf(cinfo).library.alloc_large(cinfo, pool, bytes);
}
JSAMPARRAY GatedSamples(j_common_ptr cinfo, int pool, JDIMENSION width, JDIMENSION rows) {
    PassGate(cinfo);
    return ManagerOf(cinfo).library.alloc_sarray(cinfo, pool, width, rows);
}
JBLOCKARRAY GatedBlocks(j_common_ptr cinfo, int pool, JDIMENSION width, JDIMENSION rows) {
    PassGate(cinfo);
    return ManagerOf(cinfo).library.alloc_barray(cinfo, pool, width, rows);
}
void GatedVirtualArrays(j_common_ptr cinfo) {
    PassGate(cinfo);
    ManagerOf(cinfo).library.realize_virt_arrays(cinfo);
}

}  // namespace

void JpgGateMemory(j_common_ptr cinfo) {
    ManagerOf(cinfo).library = *cinfo->mem;
    cinfo->mem->alloc_small = GatedSmall;
    cinfo->mem->alloc_large = GatedLarge;
    cinfo->mem->alloc_sarray = GatedSamples;
    cinfo->mem->alloc_barray = GatedBlocks;
    cinfo->mem->realize_virt_arrays = GatedVirtualArrays;
}

// Everything the guarded decode touches after its recovery point.
struct JpgDecodeJob {
    jpeg_decompress_struct cinfo;
    JpgErrorManager err;
    JpgSource source;
    jpeg_progress_mgr progress;
    bool created;
};

namespace {

// Called by libjpeg between passes and rows: ends files with too many scans.
void JpgProgress(j_common_ptr common) {
    auto* cinfo = reinterpret_cast<j_decompress_ptr>(common);
    if (cinfo->input_scan_number > kJpgMaxScans) {
        auto* err = reinterpret_cast<JpgErrorManager*>(cinfo->err);
        err->image->SetLastErrorText("JPEG: too many scans");
        std::longjmp(err->recovery, 1);
    }
}

}  // namespace

void CxImageJPG::ScanExif(CxStream* stream) {
    exifInfo = ExifInfo{};
    exifReader.reset(cximage::NewObject<CxExifReader>(&exifInfo));
    if (!exifReader) return;
    const int32_t start = stream->Tell();
    exifReader->DecodeExif(stream);
    stream->Seek(start, SEEK_SET);
}

void CxImageJPG::ApplyResolution(bool sawJfif, uint8_t densityUnit, uint16_t xDensity, uint16_t yDensity) {
    // EXIF resolution: value / inches per unit, truncated. A zero, negative,
    // non-finite or absurd quotient is ignored.
    auto exifDpi = [this](float resolution, int32_t& dpi) {
        if (resolution == 0 || exifInfo.resolutionUnit == 0) return false;
        const double value = static_cast<double>(resolution) / static_cast<double>(exifInfo.resolutionUnit);
        if (!std::isfinite(value) || value < 1 || value > 1e6) return false;
        dpi = static_cast<int32_t>(value);
        return true;
    };
    int32_t xDpi = 0, yDpi = 0;
    const bool exifX = exifInfo.isExif && exifDpi(exifInfo.xResolution, xDpi);
    const bool exifY = exifInfo.isExif && exifDpi(exifInfo.yResolution, yDpi);
    if (exifX || exifY) {
        if (exifX) SetXDpi(xDpi);
        if (exifY) SetYDpi(yDpi);
        return;
    }
    // JFIF density. Unit 0 gives only the pixel aspect ratio, no size:
    // the resolution then stays at the default.
    if (!sawJfif) return;
    if (densityUnit == 2) {
        SetXDpi(static_cast<int32_t>(std::floor(xDensity * 2.54 + 0.5)));
        SetYDpi(static_cast<int32_t>(std::floor(yDensity * 2.54 + 0.5)));
    } else if (densityUnit == 1) {
        SetXDpi(xDensity);
        SetYDpi(yDensity);
    }
}

bool CxImageJPG::Decode(CxStream* stream) {
    if (!stream) {
        SetLastErrorText("JPEG: no stream");
        return false;
    }
    ScanExif(stream);
    auto* job = cximage::NewObject<JpgDecodeJob>();
    if (!job) {
        SetLastErrorText("JPEG: can't allocate memory");
        return false;
    }
    job->source.stream = stream;
    const bool ok = DecodeGuarded(job);
    delete job;
    return ok;
}

bool CxImageJPG::DecodeGuarded(JpgDecodeJob* job) {
    jpeg_decompress_struct* cinfo = &job->cinfo;
    cinfo->err = JpgInstallErrorManager(&job->err, this);
    if (setjmp(job->err.recovery)) {
        jpeg_destroy_decompress(cinfo);
        if (job->created) Destroy();
        return false;
    }
    jpeg_create_decompress(cinfo);
    JpgGateMemory(reinterpret_cast<j_common_ptr>(cinfo));
    cinfo->mem->max_memory_to_use = kJpgMaxLibraryMemory;
    job->source.pub.init_source = JpgInitSource;
    job->source.pub.fill_input_buffer = JpgFillInputBuffer;
    job->source.pub.skip_input_data = JpgSkipInputData;
    job->source.pub.resync_to_restart = jpeg_resync_to_restart;
    job->source.pub.term_source = JpgTermSource;
    job->source.pub.bytes_in_buffer = 0;
    job->source.pub.next_input_byte = nullptr;
    cinfo->src = &job->source.pub;
    job->progress.progress_monitor = JpgProgress;
    cinfo->progress = &job->progress;

    jpeg_read_header(cinfo, TRUE);
    // Colour comes out in the image's own blue-green-red order.
    if (cinfo->out_color_space == JCS_RGB) cinfo->out_color_space = JCS_EXT_BGR;
    const uint8_t scale = info.jpegScale;
    cinfo->scale_num = 1;
    cinfo->scale_denom = (scale == 2 || scale == 4 || scale == 8) ? scale : 1;
    jpeg_calc_output_dimensions(cinfo);

    if (info.escape == -1) {
        head.biWidth = static_cast<int32_t>(cinfo->output_width);
        head.biHeight = static_cast<int32_t>(cinfo->output_height);
        jpeg_destroy_decompress(cinfo);
        return true;
    }

    // The image first: a size it refuses never reaches libjpeg's allocations.
    const uint32_t components = static_cast<uint32_t>(cinfo->output_components);
    if (!Create(cinfo->output_width, cinfo->output_height, components == 1 ? 8 : 24, CXIMAGE_FORMAT_JPG)) {
        jpeg_destroy_decompress(cinfo);
        return false;
    }
    job->created = true;
    ApplyResolution(cinfo->saw_JFIF_marker != 0, cinfo->density_unit, cinfo->X_density, cinfo->Y_density);
    if (cinfo->out_color_space == JCS_GRAYSCALE && components == 1) {
        SetGrayPalette();
    }

    jpeg_start_decompress(cinfo);
    // Dimensions are fixed by jpeg_calc_output_dimensions; check all the same.
    if (cinfo->output_width != GetWidth() || cinfo->output_height != GetHeight() ||
        static_cast<uint32_t>(cinfo->output_components) != components)
        ERREXIT(cinfo, JERR_NOTIMPL);

    const uint32_t width = GetWidth();
    const uint32_t height = GetHeight();
    const uint64_t stride = uint64_t{cinfo->output_width} * components;
    if (stride > info.rowBytes && components != 4) ERREXIT(cinfo, JERR_NOTIMPL);
    // Grey and colour scanlines land straight in the bottom-up image rows,
    // several per call (libjpeg then needs no spare row of its own); CMYK
    // goes through one row of samples for the conversion.
    constexpr uint32_t kRowsPerCall = 16;
    JSAMPROW rows[kRowsPerCall];
    JSAMPARRAY cmyk = nullptr;
    if (components == 4)
        cmyk = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                           static_cast<JDIMENSION>(stride), 1);
    const uint32_t rowBytes = info.rowBytes;
    uint32_t done = 0;
    while (done < height) {
        if (info.escape) {
            jpeg_destroy_decompress(cinfo);
            Destroy();
            return false;
        }
        if (cmyk) {
            // Rows libjpeg cannot deliver (it never stops short without an error) stay cleared.
            if (jpeg_read_scanlines(cinfo, cmyk, 1) == 1) {
                uint8_t* dest = GetBits(height - 1 - done);
                const JSAMPLE* line = cmyk[0];
                for (uint32_t x = 0; x < width && uint64_t{x} * 3 + 2 < rowBytes; ++x) {
                    const JSAMPLE* p = line + uint64_t{x} * 4;
                    dest[x * 3 + 0] = static_cast<uint8_t>(p[2] * p[3] / 255);
                    dest[x * 3 + 1] = static_cast<uint8_t>(p[1] * p[3] / 255);
                    dest[x * 3 + 2] = static_cast<uint8_t>(p[0] * p[3] / 255);
                }
            }
            ++done;
            continue;
        }
        const uint32_t count = height - done < kRowsPerCall ? height - done : kRowsPerCall;
        for (uint32_t i = 0; i < count; ++i) rows[i] = GetBits(height - 1 - done - i);
        const JDIMENSION got = jpeg_read_scanlines(cinfo, rows, count);
        // A call that delivers nothing cannot happen without an error; the
        // rows it would have filled stay cleared rather than loop for ever.
        done += got > 0 ? static_cast<uint32_t>(got) : count;
    }
    jpeg_finish_decompress(cinfo);
    jpeg_destroy_decompress(cinfo);
    return true;
}
