#include "platform/gdi/RecordingDC.h"

CRecordingDC::CRecordingDC(int width, int height)
{
    CreateCompatibleDC(nullptr);
    if (bitmap_.CreateCompatibleBitmap(this, width, height)) SelectObject(&bitmap_);
    SetRecording(&records_);
}

CRecordingDC::~CRecordingDC()
{
    SetRecording(nullptr);
    DeleteDC();
}

std::vector<GdiRecord> CRecordingDC::RecordsOf(const std::string& op) const
{
    std::vector<GdiRecord> out;
    for (const GdiRecord& r : records_) {
        if (r.op == op) out.push_back(r);
    }
    return out;
}
