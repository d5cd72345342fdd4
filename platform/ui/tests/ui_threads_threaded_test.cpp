// Calls into the window layer from a worker thread are handed to the UI thread.

#include "platform/kernel/Sync.h"
#include "platform/kernel/Thread.h"
#include "platform/ui/App.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/testing/UiTest.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

struct WorkerCall {
    std::atomic<int> answer{-100};
    CEvent done{FALSE, TRUE};
    HWND button = nullptr;
};

UINT ShowBoxFromWorker(void* param)
{
    auto* call = static_cast<WorkerCall*>(param);
    call->answer = AfxMessageBox("CCommFTDI::Open - FT_W32_CreateFile error!", MB_OK | MB_ICONSTOP);
    call->done.SetEvent();
    return 0;
}

UINT RenameFromWorker(void* param)
{
    auto* call = static_cast<WorkerCall*>(param);
    ::SendMessage(call->button, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Отключиться"));
    CWnd* none = CWnd::FromHandle(call->button);  // windows are looked up on the UI thread only
    call->answer = none == nullptr ? 1 : 0;
    call->done.SetEvent();
    return 0;
}

}  // namespace

TEST(UiThreads, AMessageBoxFromAWorkerShowsOnTheUiThreadWithoutBlockingIt)
{
    uitest::EnsureApplication();
    uihooks::TakeMessageBoxLog();
    WorkerCall call;
    std::unique_ptr<CWinThread> worker(AfxBeginThread(ShowBoxFromWorker, &call));
    // The worker returns while no box has been shown yet: nothing waited for the user.
    ASSERT_EQ(WaitForSingleObject(call.done, 10000), WAIT_OBJECT_0);
    worker->Join();
    EXPECT_EQ(call.answer.load(), IDOK);
    EXPECT_TRUE(uihooks::TakeMessageBoxLog().empty());

    const std::thread::id uiThread = std::this_thread::get_id();
    std::thread::id shownOn;
    std::string text;
    uitest::OnNextModal([&](uihooks::ModalContext& box) {
        shownOn = std::this_thread::get_id();
        text = box.text;
        box.End(IDOK);
    });
    uitest::ProcessEvents();
    EXPECT_EQ(shownOn, uiThread);
    EXPECT_EQ(text, "CCommFTDI::Open - FT_W32_CreateFile error!");
}

TEST(UiThreads, AWindowTextSetByAWorkerChangesOnTheUiThread)
{
    uitest::EnsureApplication();
    DialogTemplate t;
    t.id = 9300;
    t.rect = CRect(0, 0, 100, 40);
    t.items.push_back({"Button", 1000, "Подключиться", WS_TABSTOP | WS_VISIBLE, 0, CRect(5, 5, 90, 19)});
    CDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(t));
    WorkerCall call;
    call.button = dlg.GetDlgItem(1000)->m_hWnd;
    std::unique_ptr<CWinThread> worker(AfxBeginThread(RenameFromWorker, &call));
    ASSERT_EQ(WaitForSingleObject(call.done, 10000), WAIT_OBJECT_0);
    worker->Join();
    EXPECT_EQ(call.answer.load(), 1);
    CString text;
    dlg.GetDlgItemText(1000, text);
    EXPECT_EQ(text, "Подключиться") << "not yet: the change waits for the UI thread";
    uitest::ProcessEvents();
    dlg.GetDlgItemText(1000, text);
    EXPECT_EQ(text, "Отключиться");
}
