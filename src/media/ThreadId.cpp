#include "media/ThreadId.h"

#include <unistd.h>

uint32_t CurrentThreadId()
{
    return static_cast<uint32_t>(gettid());
}
