// ClipboardToolz: the only access to the Windows clipboard. Each call opens
// the clipboard, empties it, hands over a fresh memory block and closes it
// again; nothing is reported to the caller.
#pragma once

#include <cstdint>

#include "Toolz.h"

namespace ordfalk {

inline constexpr uint16_t kClipboardText = 1;  // CF_TEXT

// Replaces the clipboard contents with a copy of Size bytes under Format.
void ClipboardSetBuffer(uint16_t format, const void* data, int32_t size);

// Replaces the clipboard contents with the string's bytes and one
// terminating zero byte, as CF_TEXT.
void ClipboardSetText(const AnsiString& text);

}  // namespace ordfalk
