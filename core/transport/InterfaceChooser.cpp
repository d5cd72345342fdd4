#include "core/transport/InterfaceChooser.h"

#include "core/transport/Comm.h"
#include "core/transport/Interfaces.h"
#include "platform/kernel/Sync.h"

#include <utility>

InterfaceChooser::InterfaceChooser()
{
    const int count = Interfaces::GetCount();
    for (int i = 0; i < count; ++i) {
        Root root{i, Interfaces::GetName(i), {}};
        std::unique_ptr<CComm> transport(Interfaces::Create(i));
        if (transport) {
            // A failed listing simply shows the root without children.
            (void)transport->Enumerate();
            const int devices = transport->GetCount();
            for (int j = 0; j < devices; ++j)
                root.devices.push_back(Device{j, transport->GetDescription(j)});
        }
        roots_.push_back(std::move(root));
        transports_.push_back(std::move(transport));
    }
}

InterfaceChooser::~InterfaceChooser() = default;

bool InterfaceChooser::HasDevice(int entry, int device) const
{
    if (entry < 0 || static_cast<std::size_t>(entry) >= roots_.size())
        return false;
    const auto& devices = roots_[static_cast<std::size_t>(entry)].devices;
    return device >= 0 && static_cast<std::size_t>(device) < devices.size() &&
           transports_[static_cast<std::size_t>(entry)] != nullptr;
}

CComm* InterfaceChooser::Choose(int entry, int device)
{
    if (!HasDevice(entry, device))
        return nullptr;
    CComm* chosen = transports_[static_cast<std::size_t>(entry)].release();
    (void)chosen->Select(device);
    return chosen;
}

void InterfaceChooser::Options(int entry, int device, CWnd* parent)
{
    if (HasDevice(entry, device))
        transports_[static_cast<std::size_t>(entry)]->Options(device, parent);
}

namespace {

CCriticalSection& ChooserLock()
{
    static CCriticalSection lock;
    return lock;
}

ChooserFunction& Chooser()
{
    static ChooserFunction chooser;
    return chooser;
}

} // namespace

void SetChooserFunction(ChooserFunction function)
{
    CSingleLock lock(&ChooserLock(), TRUE);
    Chooser() = std::move(function);
}

CComm* RunInterfaceChooser()
{
    ChooserFunction chooser;
    {
        CSingleLock lock(&ChooserLock(), TRUE);
        chooser = Chooser();
    }
    return chooser ? chooser() : nullptr;
}
