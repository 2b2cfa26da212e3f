#include "ximage/ximage_iterator.h"

void CxImageIterator::Attach(CxImage* image) {
    m_image = image;
    m_row = 0;
    m_rowPointer = image ? image->GetBits(0) : nullptr;
}

void CxImageIterator::SetRow(int64_t y) {
    if (!m_image || !m_rowPointer || y < 0 || y >= m_image->GetHeight()) return;
    m_row = y;
    m_rowPointer = m_image->GetBits(0) + static_cast<size_t>(y) * m_image->GetRowBytes();
}
