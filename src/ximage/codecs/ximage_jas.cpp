#include "ximage/codecs/ximage_jas.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "ximage/codecs/ximage_jas_internal.h"
#include "ximage/toolkit/cx_stream.h"
#include "ximage/toolkit/cx_stream_reader.h"

using cxjas::Status;

namespace {

// The formats by their first bytes, in the order the family recognises them.
uint32_t Recognise(const uint8_t* head, size_t size) {
    static const uint8_t kJp2Signature[12] = {0, 0, 0, 12, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};
    static const uint8_t kCodeStream[4] = {0xFF, 0x4F, 0xFF, 0x51};  // SOC, then SIZ
    if (size >= 2 && head[0] == 'P' && head[1] >= '1' && head[1] <= '7') return CXIMAGE_FORMAT_PNM;
    if (size >= 4 && cximage::LoadU32BE(head) == 0x59A66A95) return CXIMAGE_FORMAT_RAS;
    if (size >= 12 && std::memcmp(head, kJp2Signature, 12) == 0) return CXIMAGE_FORMAT_JP2;
    if (size >= 4 && std::memcmp(head, kCodeStream, 4) == 0) return CXIMAGE_FORMAT_JPC;
    if (size >= 3 && head[0] == 'P' && head[1] == 'G' && (head[2] == ' ' || head[2] == '\t')) return CXIMAGE_FORMAT_PGX;
    return CXIMAGE_FORMAT_UNKNOWN;
}

const char* TextFor(Status status) {
    switch (status) {
        case Status::kTooMany: return "error: too much components";
        case Status::kWrongFrame: return "wrong frame!";
        case Status::kNoMemory: return "Can't allocate memory";
        default: return "error: cannot load image data";
    }
}

// The encoder's format by id; 0 names none.
const char* FormatName(uint32_t format) {
    switch (format) {
        case CXIMAGE_FORMAT_JP2: return "jp2";
        case CXIMAGE_FORMAT_JPC: return "jpc";
        case CXIMAGE_FORMAT_PGX: return "pgx";
        case CXIMAGE_FORMAT_PNM: return "pnm";
        case CXIMAGE_FORMAT_RAS: return "ras";
        default: return nullptr;
    }
}

}  // namespace

namespace cxjas {

void FormatRateOption(uint8_t quality, char* out, size_t size) { std::snprintf(out, size, "rate=%.3f", quality * 0.01); }

double ParseRateOption(const char* option) {
    double rate = 0;
    if (std::strncmp(option, "rate=", 5) != 0 || std::sscanf(option + 5, "%lf", &rate) != 1) return 0;
    return rate;
}

bool CreatePicture(CxImage& image, uint32_t width, uint32_t height, uint32_t depth, uint32_t format) {
    if (!image.Create(width, height, depth, format)) return false;
    if (depth <= 8) image.SetGrayPalette();
    return true;
}

bool CreateFullPicture(CxImage& image, uint32_t width, uint32_t height, uint32_t depth, uint32_t format) {
    if (!image.CreateUncleared(width, height, depth, format)) return false;
    if (depth <= 8) image.SetGrayPalette();
    return true;
}

namespace {

Status DecodeRecognised(CxStream* stream, uint32_t found, CxImage& image, DecodeRequest& request) {
    CxStreamReader reader(stream);
    switch (found) {
        case CXIMAGE_FORMAT_PNM: return ReadPnm(reader, image, request);
        case CXIMAGE_FORMAT_RAS: return ReadRas(reader, image, request);
        case CXIMAGE_FORMAT_JP2: return ReadJpeg2000(stream, true, image, request);
        case CXIMAGE_FORMAT_JPC: return ReadJpeg2000(stream, false, image, request);
        case CXIMAGE_FORMAT_PGX: return ReadPgx(reader, image, request);
        default: return Status::kCorrupt;
    }
}

}  // namespace
}  // namespace cxjas

bool CxImageJAS::Decode(CxStream* stream, uint32_t imagetype) {
    if (!stream) return false;
    const int64_t start = stream->Tell64();
    uint8_t head[12] = {};
    const size_t got = stream->Read(head, 1, sizeof(head));
    if (!stream->Seek64(start, SEEK_SET)) return Fail("error: cannot load image data");
    const uint32_t found = Recognise(head, got);
    if (found == CXIMAGE_FORMAT_UNKNOWN) return Fail("error: cannot load image data");

    cxjas::DecodeRequest request;
    request.frame = info.frame;
    request.format = imagetype != CXIMAGE_FORMAT_UNKNOWN ? imagetype : found;
    const Status status = cxjas::DecodeRecognised(stream, found, *this, request);
    if (request.numFrames > 0) info.numFrames = request.numFrames;
    if (status != Status::kOk) {
        Destroy();
        return Fail(TextFor(status));
    }
    return true;
}

bool CxImageJAS::Encode(CxStream* stream, uint32_t imagetype) {
    if (CheckEncodeArgs(stream)) return false;
    if (IsIndexed() && !IsGrayScale()) return Fail("JasPer can save only RGB or GrayScale images");
    const cxjas::SourceRows source(*this);
    const char* name = FormatName(imagetype);
    if (imagetype == CXIMAGE_FORMAT_PGX && source.Components() != 1) return Fail("PGX can save only GrayScale images");
    if (!name) return Fail("error: cannot encode image\n");

    // The encoder option text, "rate=0.900" for quality 90, and its value.
    char option[32];
    cxjas::FormatRateOption(info.quality, option, sizeof(option));
    const double rate = cxjas::ParseRateOption(option);

    bool ok = false;
    switch (imagetype) {
        case CXIMAGE_FORMAT_JP2: ok = cxjas::WriteJpeg2000(stream, true, source, rate); break;
        case CXIMAGE_FORMAT_JPC: ok = cxjas::WriteJpeg2000(stream, false, source, rate); break;
        case CXIMAGE_FORMAT_PGX: ok = cxjas::WritePgx(stream, source); break;
        case CXIMAGE_FORMAT_PNM: ok = cxjas::WritePnm(stream, source); break;
        case CXIMAGE_FORMAT_RAS: ok = cxjas::WriteRas(stream, source); break;
        default: break;
    }
    if (!ok) return Fail("error: cannot encode image\n");
    stream->Flush();
    return true;
}
