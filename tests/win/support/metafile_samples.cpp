#include "win/support/metafile_samples.h"

#include <cstdint>
#include <vector>

namespace qlry::wintest {
namespace {

void Put16(std::string& out, uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// One record: its size in words, its function and its 16-bit parameters.
void Record(std::string& out, uint16_t function, const std::vector<uint16_t>& words) {
    Put32(out, static_cast<uint32_t>(3 + words.size()));
    Put16(out, function);
    for (uint16_t w : words) Put16(out, w);
}

std::string Recorded(void (*draw)(HDC, int, int), int width, int height) {
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateEnhMetaFileW(screen, nullptr, nullptr, nullptr);
    ::ReleaseDC(nullptr, screen);
    if (!dc) return {};
    draw(dc, width, height);
    HENHMETAFILE emf = ::CloseEnhMetaFile(dc);
    if (!emf) return {};
    std::string bytes(::GetEnhMetaFileBits(emf, 0, nullptr), '\0');
    ::GetEnhMetaFileBits(emf, static_cast<UINT>(bytes.size()), reinterpret_cast<BYTE*>(bytes.data()));
    ::DeleteEnhMetaFile(emf);
    return bytes;
}

void FillRect(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
    HBRUSH brush = ::CreateSolidBrush(colour);
    HGDIOBJ oldBrush = ::SelectObject(dc, brush);
    HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(NULL_PEN));
    ::Rectangle(dc, left, top, right, bottom);
    ::SelectObject(dc, oldPen);
    ::SelectObject(dc, oldBrush);
    ::DeleteObject(brush);
}

}  // namespace

std::string PlaceableWmfWithRedLeftHalf() {
    std::string records;
    Record(records, 0x020B, {0, 0});           // SETWINDOWORG y, x
    Record(records, 0x020C, {720, 1440});      // SETWINDOWEXT y, x
    Record(records, 0x02FC, {0, 0x00FF, 0, 0});  // CREATEBRUSHINDIRECT solid, RGB(255, 0, 0)
    Record(records, 0x012D, {0});              // SELECTOBJECT brush
    Record(records, 0x02FA, {5, 0, 0, 0, 0});  // CREATEPENINDIRECT PS_NULL
    Record(records, 0x012D, {1});              // SELECTOBJECT pen
    Record(records, 0x041B, {720, 720, 0, 0}); // RECTANGLE bottom, right, top, left
    Record(records, 0x0000, {});               // end of file

    std::string out;
    Put32(out, 0x9AC6CDD7);
    Put16(out, 0);
    for (uint32_t v : {0u, 0u, 1440u, 720u, 1440u}) Put16(out, v);
    Put32(out, 0);
    uint16_t sum = 0;
    for (size_t i = 0; i < 20; i += 2)
        sum ^= static_cast<uint16_t>(static_cast<uint8_t>(out[i]) | (static_cast<uint8_t>(out[i + 1]) << 8));
    Put16(out, sum);
    Put16(out, 1);       // in memory
    Put16(out, 9);       // header words
    Put16(out, 0x300);   // version
    Put32(out, static_cast<uint32_t>((18 + records.size()) / 2));
    Put16(out, 2);       // objects
    Put32(out, 8);       // largest record
    Put16(out, 0);
    return out + records;
}

std::string EmfWithTwoRectangles() {
    return Recorded(
        [](HDC dc, int, int) {
            FillRect(dc, 10, 20, 110, 70, RGB(0, 0, 255));
            FillRect(dc, 150, 80, 210, 120, RGB(0, 255, 0));
        },
        0, 0);
}

std::string EmfOfSize(int width, int height) {
    return Recorded([](HDC dc, int w, int h) { FillRect(dc, 0, 0, w, h, RGB(200, 100, 0)); }, width, height);
}

}  // namespace qlry::wintest
