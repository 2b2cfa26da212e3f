#pragma once
#include <string>

#include "common/content_kind.h"

// KindImage when the path's extension is in the image extension list,
// otherwise KindText; never KindNone.
ContentKind ClassifyPath(const std::wstring& path);
