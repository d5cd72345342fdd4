#include "core/transport/Interfaces.h"

#include "platform/kernel/Sync.h"

#include <vector>

namespace {

struct Entry {
    CommCreator creator;
    CString name;
};

// Function-local statics: alive on first use whatever the order of initialisation, and freed
// at exit.
std::vector<Entry>& Entries()
{
    static std::vector<Entry> entries;
    return entries;
}

CCriticalSection& RegistryLock()
{
    static CCriticalSection lock;
    return lock;
}

const Entry& At(int i)
{
    const auto& entries = Entries();
    if (i < 0 || static_cast<std::size_t>(i) >= entries.size())
        throw InterfacesRangeError();
    return entries[static_cast<std::size_t>(i)];
}

} // namespace

void Interfaces::Register(CommCreator creator, const CString& name)
{
    CSingleLock lock(&RegistryLock(), TRUE);
    Entries().push_back(Entry{creator, name});
}

int Interfaces::GetCount()
{
    CSingleLock lock(&RegistryLock(), TRUE);
    return static_cast<int>(Entries().size());
}

CString Interfaces::GetName(int i)
{
    CSingleLock lock(&RegistryLock(), TRUE);
    return At(i).name;
}

CommCreator Interfaces::GetCreator(int i)
{
    CSingleLock lock(&RegistryLock(), TRUE);
    return At(i).creator;
}

CComm* Interfaces::Create(int i)
{
    const CommCreator creator = GetCreator(i);
    return creator != nullptr ? creator() : nullptr;
}

void Interfaces::Clear()
{
    CSingleLock lock(&RegistryLock(), TRUE);
    Entries().clear();
}
