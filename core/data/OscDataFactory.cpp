#include "core/data/OscData.h"

#include <atomic>
#include <cstdlib>
#include <mutex>

// Enters the five device variants; defined with the variants so that naming the factory is
// enough to link them in (a static library drops units nobody refers to).
void RegisterBuiltInDataVersions();

namespace {

std::mutex& FactoryMutex()
{
    static std::mutex mutex;
    return mutex;
}

OscDataFactory::Map& FactoryMap()
{
    static OscDataFactory::Map map;
    return map;
}

void EnsureBuiltIns()
{
    static std::once_flag once;
    std::call_once(once, [] { RegisterBuiltInDataVersions(); });
}

std::atomic<OscData*> CurrentData{nullptr};
std::atomic<std::uint64_t> Generation{0};

}  // namespace

bool OscDataFactory::Register(int version, Creator creator)
{
    if (creator == nullptr) return false;
    std::lock_guard<std::mutex> lock(FactoryMutex());
    return FactoryMap().emplace(version, creator).second;
}

OscDataFactory::Map::const_iterator OscDataFactory::Find(int version)
{
    EnsureBuiltIns();
    std::lock_guard<std::mutex> lock(FactoryMutex());
    return FactoryMap().find(version);
}

OscDataFactory::Map::const_iterator OscDataFactory::End()
{
    std::lock_guard<std::mutex> lock(FactoryMutex());
    return FactoryMap().cend();
}

std::vector<int> OscDataFactory::Versions()
{
    EnsureBuiltIns();
    std::lock_guard<std::mutex> lock(FactoryMutex());
    std::vector<int> versions;
    for (const auto& entry : FactoryMap()) versions.push_back(entry.first);
    return versions;
}

bool registerDataVersion(int version, OscDataFactory::Creator creator)
{
    return OscDataFactory::Register(version, creator);
}

OscData* GetOscData()
{
    OscData* data = CurrentData.load(std::memory_order_acquire);
    if (data != nullptr) return data;

    CSingleLock lock(&DataLock, TRUE);
    data = CurrentData.load(std::memory_order_acquire);
    if (data == nullptr) {
        static bool exitHandlerRegistered = false;
        if (!exitHandlerRegistered) {
            exitHandlerRegistered = true;
            std::atexit(DeleteOscData);
        }
        SelectOscDataVersion(1, 0);
        data = CurrentData.load(std::memory_order_acquire);
    }
    return data;
}

OscData* PeekOscData()
{
    return CurrentData.load(std::memory_order_acquire);
}

namespace {

// Replaces the current object by a new one of the registered creator. The old object saves
// its settings in its destructor before the new one loads them, so re-creating the same
// variant carries the stored settings over.
void InstallNew(OscDataFactory::Creator creator, int hwVersion)
{
    OscData* old = CurrentData.exchange(nullptr, std::memory_order_acq_rel);
    delete old;
    OscData* created = creator();
    created->ApplyLimits();
    created->created_hw_version = hwVersion;
    CurrentData.store(created, std::memory_order_release);
    Generation.fetch_add(1, std::memory_order_acq_rel);
}

}  // namespace

bool SelectOscDataVersion(int version, int hwVersion)
{
    CSingleLock lock(&DataLock, TRUE);
    const auto entry = OscDataFactory::Find(version);
    OscData* current = CurrentData.load(std::memory_order_acquire);

    if (entry == OscDataFactory::End()) {
        // An unknown device (or a configuration naming no variant): keep what there is, and
        // never leave the program without a model.
        if (current == nullptr) {
            const auto fallback = OscDataFactory::Find(1);
            if (fallback == OscDataFactory::End()) return false;
            InstallNew(fallback->second, hwVersion);
            current = CurrentData.load(std::memory_order_acquire);
        }
        current->version = version;
        current->hw_version = hwVersion;
        return false;
    }

    if (current == nullptr || current->GetVersion() != version ||
        current->created_hw_version != hwVersion) {
        InstallNew(entry->second, hwVersion);
        current = CurrentData.load(std::memory_order_acquire);
    }
    current->version = version;
    current->hw_version = hwVersion;
    return true;
}

std::uint64_t GetOscDataGeneration()
{
    return Generation.load(std::memory_order_acquire);
}

void DeleteOscData()
{
    CSingleLock lock(&DataLock, TRUE);
    OscData* old = CurrentData.exchange(nullptr, std::memory_order_acq_rel);
    delete old;
}
