#include "core/transport/MessageBoxHook.h"

#include <atomic>
#include <cstdio>

namespace {

void WriteToStderr(const std::string& text)
{
    std::fprintf(stderr, "%s\n", text.c_str());
}

std::atomic<MessageBoxFunction> g_hook{nullptr};

} // namespace

void SetMessageBoxHook(MessageBoxFunction function)
{
    g_hook.store(function, std::memory_order_release);
}

void ShowMessageBox(const std::string& text)
{
    const MessageBoxFunction hook = g_hook.load(std::memory_order_acquire);
    (hook != nullptr ? hook : WriteToStderr)(text);
}
