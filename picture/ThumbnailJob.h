#pragma once
// The shared thumbnail cache around a display-cache decode, on the decode's own thread: a valid
// cached thumbnail stands in for the decode, and a decode leaves its thumbnail behind.
#include "picture/JpegImage.h"
#include "picture/ThumbnailCache.h"

// Fills the result from the cache (a valid thumbnail, or the error recorded for the file) and
// returns true; otherwise returns false with the job set to decode at a scale the cell's
// thumbnail can be reduced from.
bool TakeCachedThumbnail(const ThumbnailSource& source, JpegCacheJob& job, JpegCacheResult& result);
// After the decode: writes the thumbnail, or records the failure. A stopped decode leaves nothing.
void KeepThumbnail(const ThumbnailSource& source, const JpegCacheJob& job, const JpegCacheResult& result, bool stopped);
