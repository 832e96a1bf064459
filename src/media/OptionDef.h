#pragma once
// One entry of the option vocabulary: a name, what kind of value it takes and
// where the value goes.

#include "media/JobSettings.h"
#include "media/OptionsContext.h"

#include <cstdint>
#include <string>
#include <variant>

enum TOptionFlag : uint32_t {
    ofHasArg = 0x1, // takes the next word as its value
    ofBool = 0x2, // stores 1, or 0 when given as "no" + name
    ofExpert = 0x4,
    ofString = 0x8,
    ofVideo = 0x10,
    ofAudio = 0x20,
    ofGrab = 0x40,
    ofInt = 0x80,
    ofFloat = 0x100,
    ofSubtitle = 0x200,
    ofInt64 = 0x400,
    ofExit = 0x800,
    ofData = 0x1000,
    ofFunc2 = 0x2000, // the handler works on the per-file context
    ofOffset = 0x4000, // the target is a field of the per-file context
    ofSpec = 0x8000, // appended to a per-stream list of the per-file context
    ofTime = 0x10000, // a duration text, stored in microseconds
    ofDouble = 0x20000,
};

class TOptionParser;

// Handlers get the option's name as given (with any ":" part) and its value.
using TOptionHandler = int (TOptionParser::*)(const std::string& opt, const std::string& arg);

using TOptionTarget = std::variant<TOptionHandler, int TJobSettings::*, float TJobSettings::*,
    int TOptionsContext::*, int64_t TOptionsContext::*, float TOptionsContext::*,
    std::string TOptionsContext::*, TSpecList TOptionsContext::*>;

struct TOptionDef {
    const char* name;
    uint32_t flags;
    TOptionTarget target;
    const char* help;
    const char* argname;
};
