#pragma once
// The format an image paste writes for a path.
#include <cstdint>
#include <string>

namespace qlry {

// The image library's format for the path's extension; in addition ".jfi"
// and ".jpe" write JPEG and ".wbm" writes WBMP, so that every entry of the
// image name dialog's list writes a file. CXIMAGE_FORMAT_UNKNOWN (0) when
// the extension names no format.
uint32_t TargetImageFormat(const std::wstring& path);

}  // namespace qlry
