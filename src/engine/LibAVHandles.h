#pragma once
// The engine's names for the owning handles of the media layer.

#include "media/LibAVPtr.h"

using TCodecContextPtr = CodecContextPtr;
using TFramePtr = FramePtr;
using TPacketPtr = PacketPtr;
using TSwrPtr = SwrContextPtr;
using TAudioFifoPtr = AudioFifoPtr;
using TBsfPtr = BsfContextPtr;
using TInputContextPtr = FormatContextPtr;
