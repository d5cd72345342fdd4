#include "core/transport/Comm.h"

#include "platform/kernel/Clock.h"

bool CComm::Enumerate() { return false; }
int CComm::GetCount() { return 0; }
CString CComm::GetDescription(int) { return "error"; }
bool CComm::Select(int) { return false; }
void CComm::Options(int, CWnd*) {}
bool CComm::Open() { return false; }
void CComm::Close() {}
bool CComm::IsOpen() { return false; }
int CComm::Transact(const void*, int, void*, int, int) { return 0; }
int CComm::Read(void*, int, int) { return 0; }
void CComm::BeginRead(void*, int) {}
int CComm::PollRead() { return 0; }

int CComm::WaitRead(DWORD ms)
{
    const int n = PollRead();
    if (n != 0 || ms == 0)
        return n;
    Sleep(ms);
    return PollRead();
}
int CComm::Write(const void*, int, int) { return 0; }
void CComm::BeginWrite(const void*, int) {}
int CComm::Send(const void*, int) { return 0; }
void CComm::Purge() {}

bool CCommDeviceList::Select(int i)
{
    // A negative index is refused like one past the end: Open must never see it.
    if (!IsListed(i))
        return false;
    selected_ = i;
    return true;
}
