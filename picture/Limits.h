// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Limits every reader enforces before allocating, so a crafted header cannot
// make the program allocate without bound. Documented in docs/architecture.md.
#include <cstdint>

namespace PictureLimits {
inline constexpr int32_t kMaxSide = 65535;                    // width or height in pixels
inline constexpr int64_t kMaxDecodedBytes = int64_t(1) << 30; // 1 GiB of decoded pixels
inline constexpr int kMaxJpegScans = 1000;                    // progressive scans per file
inline constexpr int kMaxIconEntries = 1024;                  // directory entries looked at
inline constexpr int kMaxGifFrames = 10000;                   // GIF frames counted for the facts
}
