#pragma once
// The byte-stream transport to the instrument. A plain CComm is a valid transport that has no
// devices and never opens: the device link starts with one, so it never holds a null transport.
//
// The link uses Open, Close, IsOpen, BeginRead, WaitRead, Send and Purge; the interface chooser
// uses Enumerate, GetCount, GetDescription, Select and Options.

#include "platform/kernel/CString.h"
#include "platform/kernel/WinTypes.h"

class CWnd;

class CComm {
public:
    CComm() = default;
    virtual ~CComm() = default;
    CComm(const CComm&) = delete;
    CComm& operator=(const CComm&) = delete;

    // Rebuilds the device list (no device selected afterwards); true when the listing completed.
    virtual bool Enumerate();
    virtual int GetCount();
    // Display text of device i; empty when i is not a listed device.
    virtual CString GetDescription(int i);
    // Makes device i the one Open uses; false, and nothing changed, when i is not listed.
    virtual bool Select(int i);
    // Per-device settings, asked from the user.
    virtual void Options(int i, CWnd* parent);
    virtual bool Open();
    // Purges, then releases the device; harmless when not open.
    virtual void Close();
    virtual bool IsOpen();
    // Arms a read, writes the request and waits up to ms for the answer; bytes read.
    virtual int Transact(const void* tx, int txLength, void* rx, int rxLength, int ms);
    virtual int Read(void* buffer, int length, int ms);
    // Arms a read of up to length bytes into buffer, replacing any armed read. The buffer must
    // stay valid until the next BeginRead, Purge or Close.
    virtual void BeginRead(void* buffer, int length);
    // Bytes delivered into the armed buffer since the last call; 0 when none. Returns quickly.
    virtual int PollRead();
    // As PollRead, but when nothing has arrived it first waits up to ms for bytes. The link's
    // worker waits here for the instrument, so a transport that can block on its device should:
    // the base polls and, finding nothing, sleeps the time out.
    virtual int WaitRead(DWORD ms);
    virtual int Write(const void* buffer, int length, int ms);
    virtual void BeginWrite(const void* buffer, int length);
    // How the link sends a frame; bytes written.
    virtual int Send(const void* buffer, int length);
    // Cancels or flushes pending input and output.
    virtual void Purge();
};

// The device count and selected index that every real transport shares.
class CCommDeviceList : public CComm {
public:
    int GetCount() override { return count_; }
    bool Select(int i) override;
    int GetSelected() const { return selected_; }

protected:
    // Called by Enumerate: an empty list and nothing selected.
    void ResetList()
    {
        count_ = 0;
        selected_ = -1;
    }
    void SetCount(int count) { count_ = count; }
    // True when i names a listed device.
    bool IsListed(int i) const { return i >= 0 && i < count_; }

private:
    int count_ = 0;
    int selected_ = -1;
};
