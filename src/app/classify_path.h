#pragma once
#include <string>

#include "common/content_kind.h"

// KindImage when the path's extension is a row of the image extension table
// (a name FormatFromExtension knows or an entry of the image extension list),
// otherwise KindText; never KindNone.
ContentKind ClassifyPath(const std::wstring& path);
