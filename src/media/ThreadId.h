#pragma once

#include <cstdint>

// The operating system's id of the calling thread, as shown in log lines.
uint32_t CurrentThreadId();
