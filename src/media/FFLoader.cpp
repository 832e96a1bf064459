#include "media/FFLoader.h"

#include "media/AuException.h"
#include "media/FFLogger.h"
#include "media/FormatText.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavdevice/avdevice.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <stdexcept>

namespace {

struct TLibraryItem {
    TLibrary Lib;
    const char* Name;
    int Version; // the major version the program was built with
    unsigned (*RunTimeVersion)(); // the library's own report; none for the C library
    void (*Fixup)(); // registration after the first load
    void (*Unfix)();
};

void Nothing()
{
}
void RegisterDevices()
{
    avdevice_register_all();
}
void StartNetwork()
{
    avformat_network_init();
}
void StopNetwork()
{
    avformat_network_deinit();
}

const TLibraryItem Libraries[] = {
    { avCodec, "avcodec", LIBAVCODEC_VERSION_MAJOR, avcodec_version, Nothing, Nothing },
    { avDevice, "avdevice", LIBAVDEVICE_VERSION_MAJOR, avdevice_version, RegisterDevices, Nothing },
    { avFilter, "avfilter", LIBAVFILTER_VERSION_MAJOR, avfilter_version, Nothing, Nothing },
    { avFormat, "avformat", LIBAVFORMAT_VERSION_MAJOR, avformat_version, StartNetwork,
        StopNetwork },
    { avUtil, "avutil", LIBAVUTIL_VERSION_MAJOR, avutil_version, Nothing, Nothing },
    { swResample, "swresample", LIBSWRESAMPLE_VERSION_MAJOR, swresample_version, Nothing, Nothing },
    { swScale, "swscale", LIBSWSCALE_VERSION_MAJOR, swscale_version, Nothing, Nothing },
    { myUtil, "c", 6, nullptr, Nothing, Nothing }, // always there
};

void RequireMembers(TLibraries ALibraries)
{
    if (ALibraries.Empty())
        throw std::logic_error("empty library set");
}

} // namespace

std::string LibraryFileName(TLibrary ALibrary)
{
    const TLibraryItem& row = Libraries[ALibrary];
    return FormatText("lib%s.so.%d", row.Name, row.Version);
}

const char* LibraryName(TLibrary ALibrary)
{
    return Libraries[ALibrary].Name;
}

TFFLoader& FFLoader()
{
    static TFFLoader loader;
    return loader;
}

TFFLoader::~TFFLoader()
{
    Unload(AllLibraries);
}

bool TFFLoader::Load(TLibrary ALibrary)
{
    const TLibraryItem& row = Libraries[ALibrary];
    if (!FLoaded[ALibrary]) {
        const int found = RunTimeVersion(ALibrary);
        if (found != row.Version) {
            SetLastErrMsg(FormatText("Load library %s error: %s", LibraryFileName(ALibrary).c_str(),
                FormatText("major version %d found, %d expected", found, row.Version).c_str()));
            return false;
        }
        row.Fixup();
        FLoaded[ALibrary] = true;
    }
    RunHook(ALibrary);
    return true;
}

bool TFFLoader::Load(TLibraries ALibraries)
{
    RequireMembers(ALibraries);
    for (int library = avCodec; library <= myUtil; ++library) {
        if (ALibraries.Contains(static_cast<TLibrary>(library))
            && !Load(static_cast<TLibrary>(library))) {
            Unload(ALibraries);
            return false;
        }
    }
    return true;
}

bool TFFLoader::Loaded(TLibrary ALibrary) const
{
    return FLoaded[ALibrary];
}

bool TFFLoader::Loaded(TLibraries ALibraries) const
{
    RequireMembers(ALibraries);
    for (int library = avCodec; library <= myUtil; ++library)
        if (ALibraries.Contains(static_cast<TLibrary>(library)) && !FLoaded[library])
            return false;
    return true;
}

void TFFLoader::CheckLibAV(TLibraries ALibraries) const
{
    for (int library = avCodec; library <= myUtil; ++library)
        if (ALibraries.Contains(static_cast<TLibrary>(library)) && !FLoaded[library])
            throw EAuException(FormatText("Library %s not loaded.", Libraries[library].Name));
}

void TFFLoader::Unload(TLibrary ALibrary)
{
    if (FLoaded[ALibrary].exchange(false))
        Libraries[ALibrary].Unfix();
}

void TFFLoader::Unload(TLibraries ALibraries)
{
    RequireMembers(ALibraries);
    for (int library = avCodec; library <= myUtil; ++library)
        if (ALibraries.Contains(static_cast<TLibrary>(library)))
            Unload(static_cast<TLibrary>(library));
}

std::string TFFLoader::LastErrMsg() const
{
    std::lock_guard guard(FLock);
    return FLastErrMsg;
}

std::string TFFLoader::LibraryPath() const
{
    std::lock_guard guard(FLock);
    return FLibraryPath;
}

void TFFLoader::SetLibraryPath(const std::string& AValue)
{
    std::lock_guard guard(FLock);
    FLibraryPath = AValue;
}

void TFFLoader::SetRunTimeVersionForTest(TLibrary ALibrary, std::optional<int> AMajor)
{
    std::lock_guard guard(FLock);
    FTestVersion[ALibrary] = AMajor;
}

int TFFLoader::RunTimeVersion(TLibrary ALibrary) const
{
    {
        std::lock_guard guard(FLock);
        if (FTestVersion[ALibrary])
            return *FTestVersion[ALibrary];
    }
    const TLibraryItem& row = Libraries[ALibrary];
    return row.RunTimeVersion ? static_cast<int>(AV_VERSION_MAJOR(row.RunTimeVersion()))
                              : row.Version;
}

// The hooks run after every successful load, also of a library loaded before. The
// codec library's lock manager, an extra file protocol for non-ASCII names and a
// picture-rotating filter have no place in this generation of the libraries: they
// are thread-safe, take UTF-8 paths, and the filter served video only.
void TFFLoader::RunHook(TLibrary ALibrary)
{
    if (ALibrary == avUtil && FInstallLogger)
        GetLogger().InstallAVLogCallback();
}

void TFFLoader::SetLastErrMsg(std::string AText)
{
    std::lock_guard guard(FLock);
    FLastErrMsg = std::move(AText);
}
