#include "picture/ThumbnailJob.h"
#include <algorithm>
#include "picture/Failure.h"

namespace {

// The cache stands for the file's own colours: a decode in the greyscale setting neither reads
// nor writes it, and a cell larger than every class has none.
bool Cached(const ThumbnailSource& source, const JpegCacheJob& job)
{
    return source.Valid() && !job.options.grayscaleOut && ThumbnailClassSide(job.target) > 0;
}

// The largest DCT denominator, no larger than `denom`, whose output still covers the
// thumbnail of `side` (the whole picture when it is smaller).
int DenomCovering(QSize picture, int side, int denom)
{
    const int longer = std::max(picture.width(), picture.height());
    const int need = std::min(longer, side);
    while (denom > 1 && (longer + denom - 1) / denom < need)
        denom /= 2;
    return denom;
}

} // namespace

bool TakeCachedThumbnail(const ThumbnailSource& source, JpegCacheJob& job, JpegCacheResult& result)
{
    const std::optional<ThumbnailCache> cache = ThumbnailCache::ForUser();
    if (!cache || !Cached(source, job))
        return false;
    if (std::optional<QString> error = cache->RecordedFailure(source)) {
        result = JpegCacheResult();
        result.denom = job.options.scaleDenom;
        result.error = *error;
        return true;
    }
    const QImage thumb = cache->Find(source, job.target);
    if (!thumb.isNull()) {
        result = JpegCacheResult();
        result.cache = thumb.convertToFormat(QImage::Format_RGB32);
        if (thumb.width() > job.target.width() || thumb.height() > job.target.height())
            result.fitted = result.cache.scaled(job.target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        // It serves the cell as a decode at the job's scale would.
        result.denom = job.options.scaleDenom;
        return true;
    }
    // A larger decode only where its thumbnail can be kept.
    if (cache->Writable(job.target))
        job.options.scaleDenom =
            DenomCovering(source.imageSize, ThumbnailClassSide(job.target), job.options.scaleDenom);
    return false;
}

void KeepThumbnail(const ThumbnailSource& source, const JpegCacheJob& job, const JpegCacheResult& result, bool stopped)
{
    if (stopped || !Cached(source, job))
        return;
    const std::optional<ThumbnailCache> cache = ThumbnailCache::ForUser();
    if (!cache)
        return;
    if (!result.error.isEmpty()) {
        // Memory running short says nothing lasting about the file.
        if (result.error != QLatin1String(kOutOfResources))
            cache->StoreFailure(source, result.error);
        return;
    }
    // Colours reduced for a palette screen are not the file's own.
    if (job.options.quantize && !result.cache.isGrayscale())
        return;
    cache->Store(source, job.target, result.cache);
}
