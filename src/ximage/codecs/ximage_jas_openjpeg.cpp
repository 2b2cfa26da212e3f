// JP2 files and JPEG-2000 code streams through OpenJPEG.
//
// Its size segment is checked first (ximage_jas_siz.cpp).
// OpenJPEG reads and writes through our byte stream (read, skip, seek and
// write callbacks over CxStream); its messages are silenced, and only the
// family's texts reach lastError. Before anything is decoded, the header is
// held against the limits again as OpenJPEG read it: the samples of
// all components and the tile count.
//
// Encoding uses the reversible 5/3 wavelet (with the colour transform for
// three components) in one quality layer. The rate (a fraction of the
// uncompressed size, quality x 0.01) becomes OpenJPEG's compression ratio
// 1 / rate for that layer; from rate 1 up nothing is cut, so the file is
// lossless. Below that the layer is cut at the target size, which a picture
// whose lossless code is smaller than it never reaches.
#include <openjpeg.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "ximage/codecs/ximage_jas_internal.h"
#include "ximage/toolkit/cx_buffer.h"
#include "ximage/toolkit/cx_checked.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/toolkit/cx_stream.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace cxjas {
namespace {

constexpr uint32_t kMaxPrecision = 31;
constexpr int kMaxResolutions = 6;

void Silent(const char*, void*) {}

void Silence(opj_codec_t* codec) {
    opj_set_info_handler(codec, Silent, nullptr);
    opj_set_warning_handler(codec, Silent, nullptr);
    opj_set_error_handler(codec, Silent, nullptr);
}

// ---- stream glue ----------------------------------------------------------

struct Glue {
    CxStream* stream;
    int64_t base;  // where the data starts in the stream
};

OPJ_SIZE_T GlueRead(void* buffer, OPJ_SIZE_T bytes, void* user) {
    auto* glue = static_cast<Glue*>(user);
    const size_t got = glue->stream->Read(buffer, 1, bytes);
    return got ? got : static_cast<OPJ_SIZE_T>(-1);
}

OPJ_SIZE_T GlueWrite(void* buffer, OPJ_SIZE_T bytes, void* user) {
    auto* glue = static_cast<Glue*>(user);
    const size_t put = glue->stream->Write(buffer, 1, bytes);
    return put == bytes ? put : static_cast<OPJ_SIZE_T>(-1);
}

OPJ_OFF_T GlueSkip(OPJ_OFF_T bytes, void* user) {
    auto* glue = static_cast<Glue*>(user);
    return glue->stream->Seek64(bytes, SEEK_CUR) ? bytes : -1;
}

OPJ_BOOL GlueSeek(OPJ_OFF_T position, void* user) {
    auto* glue = static_cast<Glue*>(user);
    return glue->stream->Seek64(glue->base + position, SEEK_SET) ? OPJ_TRUE : OPJ_FALSE;
}

opj_stream_t* CreateStream(Glue& glue, bool input) {
    opj_stream_t* s = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, input ? OPJ_TRUE : OPJ_FALSE);
    if (!s) return nullptr;
    opj_stream_set_user_data(s, &glue, nullptr);
    if (input) {
        const int64_t size = glue.stream->Size64();
        opj_stream_set_user_data_length(s, size > glue.base ? static_cast<OPJ_UINT64>(size - glue.base) : 0);
        opj_stream_set_read_function(s, GlueRead);
    } else {
        opj_stream_set_write_function(s, GlueWrite);
    }
    opj_stream_set_skip_function(s, GlueSkip);
    opj_stream_set_seek_function(s, GlueSeek);
    return s;
}

// Frees what a decode or an encode made, on every path.
struct Session {
    opj_codec_t* codec = nullptr;
    opj_stream_t* stream = nullptr;
    opj_image_t* image = nullptr;
    ~Session() {
        if (stream) opj_stream_destroy(stream);
        if (codec) opj_destroy_codec(codec);
        if (image) opj_image_destroy(image);
    }
};

// ---- samples ----------------------------------------------------------------

// A component's samples as unsigned values of its precision: signed ones are
// moved up by their offset; anything outside the range is clamped.
struct Plane {
    const opj_image_comp_t* comp;
    int64_t offset;
    int64_t max;
    explicit Plane(const opj_image_comp_t& c)
        : comp(&c), offset(c.sgnd ? int64_t{1} << (c.prec - 1) : 0), max((int64_t{1} << c.prec) - 1) {}
    uint32_t At(uint32_t x, uint32_t y) const {
        int64_t v = int64_t{comp->data[size_t{y} * comp->w + x]} + offset;
        return static_cast<uint32_t>(v < 0 ? 0 : (v > max ? max : v));
    }
    uint8_t Byte(uint32_t x, uint32_t y) const { return ScalePrecision(At(x, y), comp->prec); }
};

uint8_t ClampSample(OPJ_INT32 v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

#if defined(__SSE2__)
// Sixteen samples clamped to 0..255 by two saturating packs.
inline __m128i PackSamples(const OPJ_INT32* p) {
    const auto load = [p](int i) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 4 * i)); };
    return _mm_packus_epi16(_mm_packs_epi32(load(0), load(1)), _mm_packs_epi32(load(2), load(3)));
}
#endif

// Planes of unsigned 8-bit samples (held in 32 bits, clamped) into a row of
// blue, green, red: the whole picture passes through here, so sixteen
// pixels go at a time where SSE2 is there. Each becomes a blue-green-red-0
// word stored three bytes after the one before, whose fourth byte the next
// overwrites; the last pixel of the row is left to the plain loop.
void PlanesToBgr(const OPJ_INT32* r, const OPJ_INT32* g, const OPJ_INT32* b, uint8_t* row, uint32_t width) {
    uint32_t x = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; x + 17 <= width; x += 16) {
        const __m128i blue = PackSamples(b + x), green = PackSamples(g + x), red = PackSamples(r + x);
        const __m128i bgLow = _mm_unpacklo_epi8(blue, green), bgHigh = _mm_unpackhi_epi8(blue, green);
        const __m128i redLow = _mm_unpacklo_epi8(red, zero), redHigh = _mm_unpackhi_epi8(red, zero);
        alignas(16) uint32_t words[16];
        _mm_store_si128(reinterpret_cast<__m128i*>(words), _mm_unpacklo_epi16(bgLow, redLow));
        _mm_store_si128(reinterpret_cast<__m128i*>(words + 4), _mm_unpackhi_epi16(bgLow, redLow));
        _mm_store_si128(reinterpret_cast<__m128i*>(words + 8), _mm_unpacklo_epi16(bgHigh, redHigh));
        _mm_store_si128(reinterpret_cast<__m128i*>(words + 12), _mm_unpackhi_epi16(bgHigh, redHigh));
        for (uint32_t i = 0; i < 16; ++i) std::memcpy(row + 3 * (x + i), &words[i], 4);
    }
#endif
    for (; x < width; ++x) {
        row[3 * x] = ClampSample(b[x]);
        row[3 * x + 1] = ClampSample(g[x]);
        row[3 * x + 2] = ClampSample(r[x]);
    }
}

uint8_t ClampByte(double v) { return static_cast<uint8_t>(v <= 0 ? 0 : (v >= 255 ? 255 : std::lround(v))); }

// The header's picture within the cap: components, their sizes, the tiles.
Status CheckHeader(opj_codec_t* codec, const opj_image_t* image) {
    if (image->numcomps == 0) return Status::kCorrupt;
    if (image->numcomps > kMaxComponents) return Status::kTooMany;
    if (image->x1 <= image->x0 || image->y1 <= image->y0) return Status::kCorrupt;
    uint64_t samples = 0;
    for (uint32_t i = 0; i < image->numcomps; ++i) {
        const opj_image_comp_t& c = image->comps[i];
        if (c.dx == 0 || c.dy == 0 || c.prec == 0 || c.prec > kMaxPrecision) return Status::kCorrupt;
        const uint64_t w = (uint64_t{image->x1} + c.dx - 1) / c.dx - (uint64_t{image->x0} + c.dx - 1) / c.dx;
        const uint64_t h = (uint64_t{image->y1} + c.dy - 1) / c.dy - (uint64_t{image->y0} + c.dy - 1) / c.dy;
        uint64_t plane = 0;
        if (w == 0 || h == 0 || !cximage::ProductWithin({w, h}, CXIMAGE_MAX_MEMORY, plane)) return Status::kCorrupt;
        if (!cximage::CheckedAdd(samples, plane, samples) || samples > kMaxDecodedSamples) return Status::kCorrupt;
    }
    if (opj_codestream_info_v2_t* info = opj_get_cstr_info(codec)) {
        const uint64_t tiles = uint64_t{info->tw} * info->th;
        opj_destroy_cstr_info(&info);
        if (tiles == 0 || tiles > kMaxTiles) return Status::kCorrupt;
    }
    return Status::kOk;
}

bool SameLayout(const opj_image_comp_t& a, const opj_image_comp_t& b) {
    return a.w == b.w && a.h == b.h && a.prec == b.prec;
}

// The fourth component when a JP2 file's channel definitions make it the
// opacity of three colour components (OpenJPEG marks it), else -1.
int AlphaComponent(const opj_image_t* image) {
    if (image->numcomps != 4 || image->color_space == OPJ_CLRSPC_CMYK) return -1;
    for (uint32_t i = 0; i < 3; ++i)
        if (image->comps[i].alpha) return -1;
    return image->comps[3].alpha == 1 ? 3 : -1;
}

// Three components that make one colour picture (beside an opacity
// component): equal ones, or YCC ones, or chroma subsampled against a full
// first component.
bool IsColour(const opj_image_t* image) {
    if (image->numcomps == 4 && image->color_space == OPJ_CLRSPC_CMYK) return true;
    if (image->numcomps - (AlphaComponent(image) >= 0 ? 1 : 0) != 3) return false;
    const opj_image_comp_t* c = image->comps;
    if (SameLayout(c[0], c[1]) && SameLayout(c[0], c[2])) return true;
    if (image->color_space == OPJ_CLRSPC_SYCC || image->color_space == OPJ_CLRSPC_EYCC) return true;
    for (int i = 1; i < 3; ++i)
        if (c[i].dx < c[0].dx || c[i].dy < c[0].dy) return false;
    return c[1].dx * c[1].dy > c[0].dx * c[0].dy || c[2].dx * c[2].dy > c[0].dx * c[0].dy;
}

// For each column (or row) of the picture, whose samples lie on the
// reference grid at (origin + i) x pictureStep, the sample of a component
// (step, first sample index, count) covering that point.
bool MapAxis(CxBuffer& out, uint32_t count, uint32_t origin, uint32_t pictureStep, uint32_t step, uint32_t first,
             uint32_t size) {
    if (!out.Allocate(uint64_t{count} * sizeof(uint32_t))) return false;
    auto* map = reinterpret_cast<uint32_t*>(out.data());
    for (uint32_t i = 0; i < count; ++i) {
        uint64_t j = (uint64_t{origin} + i) * pictureStep / step;
        j = j > first ? j - first : 0;
        map[i] = static_cast<uint32_t>(j < size ? j : size - 1);
    }
    return true;
}

// A colour picture of the first component's size, as a grey picture has
// its component's: components subsampled more than the first are repeated
// over the points they cover. An opacity component becomes the alpha plane.
Status PlaceColour(const opj_image_t* image, CxImage& out, const DecodeRequest& request) {
    const opj_image_comp_t& first = image->comps[0];
    const uint32_t width = first.w, height = first.h;
    uint64_t pixelBytes = 0;
    if (!cximage::ProductWithin({width, height, 3}, CXIMAGE_MAX_MEMORY, pixelBytes)) return Status::kCorrupt;
    // Every pixel of every row is written below.
    if (!CreateFullPicture(out, width, height, 24, request.format)) return Status::kNoMemory;
    const int alphaIndex = AlphaComponent(image);
    if (alphaIndex >= 0) {
        out.AlphaCreate();
        if (!out.AlphaIsValid()) return Status::kNoMemory;
    }
    const uint32_t n = image->numcomps;
    Plane planes[4] = {Plane(image->comps[0]), Plane(image->comps[0]), Plane(image->comps[0]), Plane(image->comps[0])};
    CxBuffer xs[4], ys[4];
    bool direct = true;  // every component one sample per picture point
    for (uint32_t c = 0; c < n; ++c) {
        const opj_image_comp_t& comp = image->comps[c];
        planes[c] = Plane(comp);
        direct = direct && comp.dx == first.dx && comp.dy == first.dy && comp.x0 == first.x0 &&
                 comp.y0 == first.y0 && comp.w == width && comp.h == height;
        if (!MapAxis(xs[c], width, first.x0, first.dx, comp.dx, comp.x0, comp.w) ||
            !MapAxis(ys[c], height, first.y0, first.dy, comp.dy, comp.y0, comp.h))
            return Status::kNoMemory;
    }
    const bool ycc = image->color_space == OPJ_CLRSPC_SYCC || image->color_space == OPJ_CLRSPC_EYCC;
    const bool cmyk = n == 4 && alphaIndex < 0;
    const bool plain = direct && !ycc && !cmyk;
    bool plain8 = plain;
    for (uint32_t c = 0; c < n; ++c) plain8 = plain8 && image->comps[c].prec == 8 && !image->comps[c].sgnd;
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = out.GetBits(height - 1 - y);
        FillRowTail(out, row, size_t{width} * 3);
        if (alphaIndex >= 0) {
            const uint32_t ya = reinterpret_cast<const uint32_t*>(ys[alphaIndex].data())[y];
            const auto* xa = reinterpret_cast<const uint32_t*>(xs[alphaIndex].data());
            for (uint32_t x = 0; x < width; ++x) out.AlphaSet(x, height - 1 - y, planes[alphaIndex].Byte(xa[x], ya));
        }
        if (plain8) {
            // The common case: unsigned 8-bit samples.
            const size_t at = size_t{y} * width;
            PlanesToBgr(image->comps[0].data + at, image->comps[1].data + at, image->comps[2].data + at, row, width);
            continue;
        }
        if (plain) {
            for (uint32_t x = 0; x < width; ++x) {
                row[3 * x] = planes[2].Byte(x, y);
                row[3 * x + 1] = planes[1].Byte(x, y);
                row[3 * x + 2] = planes[0].Byte(x, y);
            }
            continue;
        }
        uint32_t yc[4];
        for (uint32_t c = 0; c < n; ++c) yc[c] = reinterpret_cast<const uint32_t*>(ys[c].data())[y];
        for (uint32_t x = 0; x < width; ++x) {
            uint8_t s[4] = {};  // n is 3 or 4 (CMYK, or colour and opacity)
            for (uint32_t c = 0; c < n; ++c) s[c] = planes[c].Byte(reinterpret_cast<const uint32_t*>(xs[c].data())[x], yc[c]);
            uint8_t red = s[0], green = s[1], blue = s[2];
            if (ycc) {
                const double luma = s[0], cb = s[1] - 128.0, cr = s[2] - 128.0;
                red = ClampByte(luma + 1.402 * cr);
                green = ClampByte(luma - 0.344136 * cb - 0.714136 * cr);
                blue = ClampByte(luma + 1.772 * cb);
            } else if (cmyk) {
                const uint32_t white = 255u - s[3];
                red = static_cast<uint8_t>((255u - s[0]) * white / 255u);
                green = static_cast<uint8_t>((255u - s[1]) * white / 255u);
                blue = static_cast<uint8_t>((255u - s[2]) * white / 255u);
            }
            row[3 * x] = blue;
            row[3 * x + 1] = green;
            row[3 * x + 2] = red;
        }
    }
    return Status::kOk;
}

Status PlaceGrey(const opj_image_t* image, CxImage& out, DecodeRequest& request) {
    if (CheckFrame(request, image->numcomps) != Status::kOk) return Status::kWrongFrame;
    const opj_image_comp_t& comp = image->comps[request.frame];
    const Plane plane(comp);
    const uint32_t depth = GreyDepth(comp.prec, comp.sgnd != 0);
    if (!CreatePicture(out, comp.w, comp.h, depth, request.format)) return Status::kNoMemory;
    for (uint32_t y = 0; y < comp.h; ++y) {
        const uint32_t rowIndex = comp.h - 1 - y;
        uint8_t* row = out.GetBits(rowIndex);
        if (depth == 8) {
            for (uint32_t x = 0; x < comp.w; ++x) row[x] = plane.Byte(x, y);
        } else {
            for (uint32_t x = 0; x < comp.w; ++x) out.SetPixelIndex(x, rowIndex, static_cast<uint8_t>(plane.At(x, y)));
        }
    }
    return Status::kOk;
}

// Every component decoded, with data of its stated size.
bool Decoded(const opj_image_t* image) {
    for (uint32_t i = 0; i < image->numcomps; ++i) {
        const opj_image_comp_t& c = image->comps[i];
        if (!c.data || c.w == 0 || c.h == 0 || c.prec == 0 || c.prec > kMaxPrecision) return false;
    }
    return true;
}

}  // namespace

Status ReadJpeg2000(CxStream* stream, bool jp2, CxImage& image, DecodeRequest& request) {
    Glue glue{stream, stream->Tell64()};
    const Status size = CheckCodeStreamSize(stream, jp2);
    if (size != Status::kOk) return size;
    if (!stream->Seek64(glue.base, SEEK_SET)) return Status::kCorrupt;
    Session s;
    s.codec = opj_create_decompress(jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K);
    if (!s.codec) return Status::kCorrupt;
    Silence(s.codec);
    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    if (!opj_setup_decoder(s.codec, &parameters)) return Status::kCorrupt;
    s.stream = CreateStream(glue, true);
    if (!s.stream) return Status::kCorrupt;
    if (!opj_read_header(s.stream, s.codec, &s.image) || !s.image) return Status::kCorrupt;
    const Status header = CheckHeader(s.codec, s.image);
    if (header != Status::kOk) return header;
    if (!opj_decode(s.codec, s.stream, s.image) || !opj_end_decompress(s.codec, s.stream)) return Status::kCorrupt;
    // A palette or channel definitions may have changed the components.
    if (s.image->numcomps == 0) return Status::kCorrupt;
    if (s.image->numcomps > kMaxComponents) return Status::kTooMany;
    if (!Decoded(s.image)) return Status::kCorrupt;
    return IsColour(s.image) ? PlaceColour(s.image, image, request) : PlaceGrey(s.image, image, request);
}

bool WriteJpeg2000(CxStream* stream, bool jp2, const SourceRows& source, double rate) {
    const uint32_t width = source.Width(), height = source.Height(), n = source.Components();
    opj_image_cmptparm_t parts[3];
    std::memset(parts, 0, sizeof(parts));
    for (uint32_t c = 0; c < n; ++c) {
        parts[c].dx = parts[c].dy = 1;
        parts[c].w = width;
        parts[c].h = height;
        parts[c].prec = 8;
        parts[c].sgnd = 0;
    }
    Session s;
    s.image = opj_image_create(n, parts, n == 3 ? OPJ_CLRSPC_SRGB : OPJ_CLRSPC_GRAY);
    if (!s.image) return false;
    s.image->x0 = s.image->y0 = 0;
    s.image->x1 = width;
    s.image->y1 = height;

    for (uint32_t y = 0; y < height; ++y) {
        const size_t at = size_t{y} * width;
        if (const uint8_t* in = source.DirectRow(y); in && n == 3) {
            OPJ_INT32* r = s.image->comps[0].data + at;
            OPJ_INT32* g = s.image->comps[1].data + at;
            OPJ_INT32* b = s.image->comps[2].data + at;
            for (uint32_t x = 0; x < width; ++x) {
                b[x] = in[3 * x];
                g[x] = in[3 * x + 1];
                r[x] = in[3 * x + 2];
            }
        } else if (in) {
            OPJ_INT32* grey = s.image->comps[0].data + at;
            for (uint32_t x = 0; x < width; ++x) grey[x] = in[x];
        } else {
            // 1- and 4-bit grey: one sample a byte first.
            OPJ_INT32* grey = s.image->comps[0].data + at;
            CxBuffer line(width);
            if (!line) return false;
            source.Row(y, line.data());
            for (uint32_t x = 0; x < width; ++x) grey[x] = line.data()[x];
        }
    }

    opj_cparameters_t parameters;
    opj_set_default_encoder_parameters(&parameters);
    parameters.tcp_numlayers = 1;
    parameters.cp_disto_alloc = 1;
    parameters.tcp_rates[0] = static_cast<float>(CompressionRatio(rate));
    parameters.irreversible = 0;
    parameters.tcp_mct = n == 3 ? 1 : 0;
    // Each resolution halves the picture: a small one has fewer of them.
    int resolutions = kMaxResolutions;
    const uint32_t shorter = width < height ? width : height;
    while (resolutions > 1 && (shorter >> (resolutions - 1)) == 0) --resolutions;
    parameters.numresolution = resolutions;

    s.codec = opj_create_compress(jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K);
    if (!s.codec) return false;
    Silence(s.codec);
    if (!opj_setup_encoder(s.codec, &parameters, s.image)) return false;
    // Written to memory first: OpenJPEG's comment comes out before the
    // file goes to the stream.
    CxMemStream memory;
    if (!memory.Open(CxMemStream::Growth::Geometric)) return false;
    Glue glue{&memory, 0};
    s.stream = CreateStream(glue, false);
    if (!s.stream) return false;
    if (!opj_start_compress(s.codec, s.image, s.stream) || !opj_encode(s.codec, s.stream) ||
        !opj_end_compress(s.codec, s.stream))
        return false;
    const int64_t written = memory.Size64();
    if (written <= 0) return false;
    uint8_t* bytes = memory.GetBuffer(false);
    const size_t size = DropMainHeaderComments(bytes, static_cast<size_t>(written), jp2);
    return stream->Write(bytes, 1, size) == size;
}

}  // namespace cxjas
