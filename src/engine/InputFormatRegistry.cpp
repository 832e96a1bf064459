#include "engine/InputFormatRegistry.h"

TInputFormatRegistry& TInputFormatRegistry::Instance()
{
    static TInputFormatRegistry registry;
    return registry;
}

void TInputFormatRegistry::Register(
    const std::string& AName, std::shared_ptr<TInputFormatAdapter> AAdapter)
{
    std::lock_guard lock(FLock);
    FFormats[AName] = std::move(AAdapter);
}

void TInputFormatRegistry::Unregister(const std::string& AName)
{
    std::lock_guard lock(FLock);
    FFormats.erase(AName);
}

std::shared_ptr<TInputFormatAdapter> TInputFormatRegistry::Find(const std::string& AName) const
{
    std::lock_guard lock(FLock);
    auto it = FFormats.find(AName);
    return it == FFormats.end() ? nullptr : it->second;
}
