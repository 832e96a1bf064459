#include "engine/JobOptions.h"

namespace {

bool HasWord(const std::string& AOptions, const char* AWord)
{
    return (" " + AOptions + " ").find(std::string(" ") + AWord + " ") != std::string::npos;
}

}  // namespace

TOutputOptions MakeOutputOptions(
    const std::string& AFileName, const std::string& AOptions, const std::string& APresets)
{
    TOutputOptions o;
    o.FileName = AFileName;
    o.Options = AOptions;
    o.Presets = APresets;
    o.AudioHook = HasWord(AOptions, "-AudioHook");
    o.VideoInputHook = HasWord(AOptions, "-VideoInputHook");
    o.VideoOutputHook = HasWord(AOptions, "-VideoOutputHook");
    o.FrameInputHook = HasWord(AOptions, "-FrameInputHook");
    o.FrameOutputHook = HasWord(AOptions, "-FrameOutputHook");
    o.Join = HasWord(AOptions, "-Join");
    return o;
}
