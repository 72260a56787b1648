#pragma once

#include "framework/graphics/PictureDecoder.h"

namespace decodehelper {

// The confinement of the decode helper. Before a byte of the input is read it limits
// the process (memory, processor time, file size, descriptors), loads what the
// decoder of the format would load from disk, and installs a system call filter on
// every thread: from then on only the calls that decoding needs are allowed.
//
// The filter is an allow-list. Memory, threads, signals to the process itself,
// reading and writing the descriptors it holds, growing the result descriptor and
// the clock pass; everything else fails with EPERM, so that a decoder that probes
// for a feature sees an ordinary refusal. No file can be opened, made, renamed,
// unlinked, truncated or have its mode, owner or data changed, no process can be
// made, traced, signalled or run, and no socket can be made.
class Sandbox {
public:
    // False when the process could not be confined; it must then not decode.
    static bool Enter(fw::PictureDecoder::Format format);
};

} // namespace decodehelper
