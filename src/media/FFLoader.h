#pragma once
// The process-wide loader of the media libraries.
//
// The FFmpeg libraries are linked when the program is built, so "loading" one
// checks that the library found at run time has the major version that the
// program was compiled against, runs its registration once and installs the
// process-wide hooks. The library folder is kept for callers that set it, but the
// system's loader has already found the libraries by then.

#include <atomic>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <string>

// In the order of loading.
enum TLibrary { avCodec, avDevice, avFilter, avFormat, avUtil, swResample, swScale, myUtil };

class TLibraries {
public:
    constexpr TLibraries() = default;
    constexpr TLibraries(std::initializer_list<TLibrary> ALibraries)
    {
        for (TLibrary library : ALibraries)
            FBits |= 1u << library;
    }
    constexpr bool Contains(TLibrary ALibrary) const { return FBits & (1u << ALibrary); }
    constexpr bool Empty() const { return FBits == 0; }

private:
    unsigned FBits = 0;
};

// What the decoders need; the encoder and the players take all eight.
inline constexpr TLibraries DecoderLibraries { avCodec, avFormat, avUtil, swResample, swScale,
    myUtil };
inline constexpr TLibraries AllLibraries { avCodec, avDevice, avFilter, avFormat, avUtil,
    swResample, swScale, myUtil };

class TFFLoader {
public:
    TFFLoader() = default;
    ~TFFLoader();
    TFFLoader(const TFFLoader&) = delete;
    TFFLoader& operator=(const TFFLoader&) = delete;

    bool Load(TLibrary ALibrary);
    // Loads each member in order; on the first failure unloads the whole set.
    bool Load(TLibraries ALibraries);
    bool Loaded(TLibrary ALibrary) const;
    bool Loaded(TLibraries ALibraries) const;
    // Throws EAuException "Library %s not loaded." for the first member not loaded.
    void CheckLibAV(TLibraries ALibraries) const;
    void Unload(TLibrary ALibrary);
    void Unload(TLibraries ALibraries);

    std::string LastErrMsg() const;
    std::string LibraryPath() const;
    void SetLibraryPath(const std::string& AValue);
    // Whether a load of avUtil installs the log callback on the process-wide logger.
    bool InstallLogger() const { return FInstallLogger; }
    void SetInstallLogger(bool AValue) { FInstallLogger = AValue; }

    // For tests: pretends that the library found at run time has this major
    // version (nullopt: the real one), so that its load fails or succeeds.
    void SetRunTimeVersionForTest(TLibrary ALibrary, std::optional<int> AMajor);

private:
    int RunTimeVersion(TLibrary ALibrary) const;
    void RunHook(TLibrary ALibrary);
    void SetLastErrMsg(std::string AText);

    std::atomic<bool> FLoaded[myUtil + 1] = {};
    std::atomic<bool> FInstallLogger = true;
    mutable std::mutex FLock; // guards the texts and the test versions
    std::string FLastErrMsg;
    std::string FLibraryPath;
    std::optional<int> FTestVersion[myUtil + 1];
};

// The one loader of the process.
TFFLoader& FFLoader();

// The file name of a library as the system knows it ("libavcodec.so.59").
std::string LibraryFileName(TLibrary ALibrary);
// The base name ("avcodec").
const char* LibraryName(TLibrary ALibrary);
