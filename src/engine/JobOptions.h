#pragma once
// What the application gives for one input or one output of a job.

#include <cstdint>
#include <string>

struct TInputOptions {
    std::string FileName;
    std::string Options;
    std::string Presets;
    int32_t Tag = 0;
    void* Data = nullptr;
};

struct TOutputOptions {
    std::string FileName;
    std::string Options;
    std::string Presets;
    bool AudioHook = false;
    bool VideoInputHook = false;
    bool VideoOutputHook = false;
    int32_t VideoHookBitsPixel = 0;
    bool FrameInputHook = false;
    bool FrameOutputHook = false;
    bool Join = false;
    int32_t Tag = 0;
    void* Data = nullptr;
};

// The record built from an option string: each flag is set when its word (such as
// -Join) stands in the string on its own.
TOutputOptions MakeOutputOptions(
    const std::string& AFileName, const std::string& AOptions, const std::string& APresets);
