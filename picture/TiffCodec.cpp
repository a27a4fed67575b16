// SPDX-License-Identifier: GPL-3.0-or-later
// Reading TIFF files from memory through libtiff. The file is read through our own procedures
// over the bytes given (never past them, never mapped, never written); libtiff's messages go to
// this handle only, never to the terminal; its RGBA interface decodes one strip or tile row at
// a time, so a stop is heard between them and a damaged strip keeps the rows above it.
#include "picture/TiffCodec.h"
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>
#include <tiffio.h>
#include "picture/ColourProfile.h"
#include "picture/Failure.h"
#include "picture/FileRead.h"
#include "picture/Limits.h"
#include "picture/Orientation.h"

namespace {

// The bytes in memory, or a file read where libtiff seeks.
struct Source {
    const char* data = nullptr;
    FileStream* file = nullptr;
    uint64_t size = 0;
    uint64_t pos = 0;
};

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t wanted)
{
    auto* s = static_cast<Source*>(handle);
    if (wanted <= 0 || s->pos >= s->size)
        return 0;
    const uint64_t n = std::min<uint64_t>(uint64_t(wanted), s->size - s->pos);
    if (s->file) {
        const int64_t got = s->file->ReadAt(int64_t(s->pos), buffer, size_t(n));
        if (got < 0)
            return -1;
        s->pos += uint64_t(got);
        return tmsize_t(got);
    }
    std::memcpy(buffer, s->data + s->pos, size_t(n));
    s->pos += n;
    return tmsize_t(n);
}

tmsize_t WriteProc(thandle_t, void*, tmsize_t)
{
    return 0; // read only
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence)
{
    auto* s = static_cast<Source*>(handle);
    constexpr toff_t kFailed = std::numeric_limits<toff_t>::max();
    constexpr uint64_t kFar = uint64_t(std::numeric_limits<int64_t>::max());
    uint64_t base = 0;
    if (whence == SEEK_CUR)
        base = s->pos;
    else if (whence == SEEK_END)
        base = s->size;
    else if (whence != SEEK_SET)
        return kFailed;
    // Relative offsets arrive as two's complement; a position before the start or beyond what
    // a signed offset holds is refused. Beyond the end is allowed: reads there give nothing.
    const auto delta = static_cast<int64_t>(offset);
    if (whence == SEEK_SET) {
        if (offset > kFar)
            return kFailed;
        s->pos = offset;
    } else if (delta < 0) {
        const uint64_t back = uint64_t(-(delta + 1)) + 1;
        if (back > base)
            return kFailed;
        s->pos = base - back;
    } else {
        if (uint64_t(delta) > kFar - base)
            return kFailed;
        s->pos = base + uint64_t(delta);
    }
    return s->pos;
}

int CloseProc(thandle_t)
{
    return 0;
}

toff_t SizeProc(thandle_t handle)
{
    return static_cast<Source*>(handle)->size;
}

int MapProc(thandle_t, void**, toff_t*)
{
    return 0;
}

void UnmapProc(thandle_t, void*, toff_t) {}

// The first error libtiff reports since the last Clear, for the user's text.
struct Messages {
    QString error;
    void Clear() { error.clear(); }
};

int OnError(TIFF*, void* user, const char*, const char* format, va_list args)
{
    auto* m = static_cast<Messages*>(user);
    if (m->error.isEmpty()) {
        char text[512];
        std::vsnprintf(text, sizeof text, format, args);
        m->error = QString::fromUtf8(text);
    }
    return 1; // handled: nothing reaches the terminal
}

int OnWarning(TIFF*, void*, const char*, const char*, va_list)
{
    return 1; // a picture that still decodes is shown without a word
}

QString Invalid(const QString& reason)
{
    return reason.isEmpty() ? QString::fromLatin1(kTiffInvalid)
                            : QStringLiteral("%1: %2").arg(QLatin1String(kTiffInvalid), reason);
}

// An open file over the bytes or the file, which must outlive it.
class Tiff {
public:
    explicit Tiff(const QByteArray& data)
    {
        m_source.data = data.constData();
        m_source.size = uint64_t(data.size());
        Open();
    }
    explicit Tiff(FileStream& file)
    {
        m_source.file = &file;
        m_source.size = uint64_t(file.Size());
        Open();
    }
    ~Tiff() { TIFFClose(m_tif); }
    Tiff(const Tiff&) = delete;
    Tiff& operator=(const Tiff&) = delete;

    TIFF* Get() const { return m_tif; }
    Messages& Said() { return m_messages; }

private:
    void Open()
    {
        TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
        if (!options)
            throw Failure(kOutOfResources);
        TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(PictureLimits::kMaxDecodedBytes));
        TIFFOpenOptionsSetErrorHandlerExtR(options, OnError, &m_messages);
        TIFFOpenOptionsSetWarningHandlerExtR(options, OnWarning, &m_messages);
        // "m": no memory mapping, every read goes through ReadProc.
        m_tif = TIFFClientOpenExt("TIFF", "rm", &m_source, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc, MapProc,
                                  UnmapProc, options);
        TIFFOpenOptionsFree(options);
        if (!m_tif)
            throw Failure(Invalid(m_messages.error));
    }

    Source m_source;
    Messages m_messages;
    TIFF* m_tif = nullptr;
};

bool WithinLimits(int64_t width, int64_t height)
{
    return width > 0 && height > 0 && width <= PictureLimits::kMaxSide && height <= PictureLimits::kMaxSide &&
        width * height * 4 <= PictureLimits::kMaxDecodedBytes;
}

QSize SizeOf(TIFF* tif)
{
    uint32_t width = 0, height = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    if (!WithinLimits(width, height))
        throw Failure(kOutOfResources);
    return QSize(int(width), int(height));
}

// As libtiff's RGBA interface decides it: an extra sample marked as alpha, an unmarked one
// beside three colours, or a fourth sample of an RGB picture that names none.
bool HasAlpha(TIFF* tif, uint16_t photometric, uint16_t samples)
{
    uint16_t extras = 0;
    uint16_t* kinds = nullptr;
    TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extras, &kinds);
    if (extras >= 1 && kinds)
        return kinds[0] == EXTRASAMPLE_ASSOCALPHA || kinds[0] == EXTRASAMPLE_UNASSALPHA ||
            (kinds[0] == EXTRASAMPLE_UNSPECIFIED && samples > 3);
    return extras == 0 && samples == 4 && photometric == PHOTOMETRIC_RGB;
}

RasterFacts FactsOf(TIFF* tif)
{
    RasterFacts facts;
    const QSize size = SizeOf(tif);
    facts.width = size.width();
    facts.height = size.height();
    uint16_t bits = 1, samples = 1, photometric = PHOTOMETRIC_MINISBLACK, orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric))
        photometric = samples >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
    facts.bitsPerChannel = bits;
    facts.alpha = HasAlpha(tif, photometric, samples);
    switch (photometric) {
    case PHOTOMETRIC_PALETTE: facts.colourType = QStringLiteral("palette"); break;
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_MINISWHITE: facts.colourType = facts.alpha ? "grey+alpha" : "grey"; break;
    case PHOTOMETRIC_SEPARATED: facts.colourType = QStringLiteral("CMYK"); break;
    default: facts.colourType = facts.alpha ? "RGBA" : "RGB"; break;
    }
    facts.orientation = ValidOrientation(orientation);
    uint32_t profileSize = 0;
    const void* profile = nullptr;
    if (TIFFGetField(tif, TIFFTAG_ICCPROFILE, &profileSize, &profile) && profile && profileSize > 0 &&
        profileSize <= uint32_t(kMaxColourProfile))
        facts.iccProfile = QByteArray(static_cast<const char*>(profile), qsizetype(profileSize));
    return facts;
}

// The reduced-resolution copy of the first page that follows it, smallest of those that still
// cover `atLeast`; 0 (the page itself) when none does. Leaves the chosen directory current.
tdir_t ChooseDirectory(Tiff& t, QSize page, QSize atLeast)
{
    TIFF* tif = t.Get();
    tdir_t best = 0;
    QSize bestSize = page;
    if (atLeast.width() > 0 && atLeast.height() > 0 && atLeast.width() < page.width() &&
        atLeast.height() < page.height()) {
        char message[1024];
        while (TIFFReadDirectory(tif)) {
            uint32_t kind = 0, width = 0, height = 0;
            TIFFGetFieldDefaulted(tif, TIFFTAG_SUBFILETYPE, &kind);
            if (!(kind & FILETYPE_REDUCEDIMAGE))
                break; // the next page: the first page's copies are behind
            TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
            TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
            if (WithinLimits(width, height) && int64_t(width) >= atLeast.width() &&
                int64_t(height) >= atLeast.height() && int64_t(width) < bestSize.width() &&
                TIFFRGBAImageOK(tif, message)) {
                best = TIFFCurrentDirectory(tif);
                bestSize = QSize(int(width), int(height));
            }
        }
    }
    if (TIFFCurrentDirectory(tif) != best && !TIFFSetDirectory(tif, best))
        throw Failure(Invalid(t.Said().error));
    t.Said().Clear();
    return best;
}

// libtiff's RGBA rows into the picture, averaged over boxes of factor x factor pixels.
struct Reducer {
    int factor = 1;
    int width = 0;    // of the picture decoded
    int outWidth = 0; // of the reduced picture
    // libtiff gives grey with unassociated alpha as stored, every other kind premultiplied.
    bool straight = false;
    int rows = 0; // input rows summed so far
    std::vector<uint64_t> sums;

    static QRgb Unpremultiplied(uint32_t r, uint32_t g, uint32_t b, uint32_t a)
    {
        // Premultiplied values never exceed their alpha; a damaged file's may.
        return qUnpremultiply(qRgba(int(std::min(r, a)), int(std::min(g, a)), int(std::min(b, a)), int(a)));
    }

    void Add(const uint32_t* abgr, QRgb* out)
    {
        if (factor == 1) {
            for (int x = 0; x < width; ++x) {
                const uint32_t p = abgr[x];
                out[x] = straight ? qRgba(int(TIFFGetR(p)), int(TIFFGetG(p)), int(TIFFGetB(p)), int(TIFFGetA(p)))
                                  : Unpremultiplied(TIFFGetR(p), TIFFGetG(p), TIFFGetB(p), TIFFGetA(p));
            }
            return;
        }
        if (straight)
            Sum(abgr, [](uint32_t p) {
                return qPremultiply(qRgba(int(TIFFGetR(p)), int(TIFFGetG(p)), int(TIFFGetB(p)), int(TIFFGetA(p))));
            });
        else
            Sum(abgr, [](uint32_t p) {
                return qRgba(int(TIFFGetR(p)), int(TIFFGetG(p)), int(TIFFGetB(p)), int(TIFFGetA(p)));
            });
        ++rows;
    }

    // Each block's part of the row summed in 32 bits first (at most kMaxSide values of 255).
    template <class Premultiplied>
    void Sum(const uint32_t* abgr, const Premultiplied& premultiplied)
    {
        uint64_t* s = sums.data();
        for (int x0 = 0; x0 < width; x0 += factor, s += 4) {
            const int end = x0 + std::min(factor, width - x0);
            uint32_t r = 0, g = 0, b = 0, a = 0;
            for (int x = x0; x < end; ++x) {
                const QRgb q = premultiplied(abgr[x]);
                r += uint32_t(qRed(q));
                g += uint32_t(qGreen(q));
                b += uint32_t(qBlue(q));
                a += uint32_t(qAlpha(q));
            }
            s[0] += r;
            s[1] += g;
            s[2] += b;
            s[3] += a;
        }
    }

    void Flush(QRgb* out)
    {
        if (rows == 0)
            return;
        for (int x = 0; x < outWidth; ++x) {
            const int64_t columns = std::min(factor, width - x * factor);
            const uint64_t count = uint64_t(columns) * uint64_t(rows);
            uint64_t* s = &sums[size_t(x) * 4];
            const auto mean = [count](uint64_t sum) { return uint32_t((sum + count / 2) / count); };
            out[x] = Unpremultiplied(mean(s[0]), mean(s[1]), mean(s[2]), mean(s[3]));
            std::fill_n(s, 4, uint64_t(0));
        }
        rows = 0;
    }
};

// The current directory through libtiff's RGBA interface, one strip or tile row at a time,
// with its rows as stored (the Orientation tag is left to the caller).
RasterImage DecodeDirectory(Tiff& t, QSize size, QSize atLeast, const StopAsked& stop)
{
    TIFF* tif = t.Get();
    char message[1024] = {};
    if (!TIFFRGBAImageOK(tif, message))
        throw Failure(Invalid(QString::fromUtf8(message)));
    const bool tiled = TIFFIsTiled(tif) != 0;
    const uint64_t unit = tiled ? TIFFTileSize64(tif) : TIFFStripSize64(tif);
    if (unit == 0)
        throw Failure(Invalid(t.Said().error));
    if (unit > uint64_t(PictureLimits::kMaxDecodedBytes))
        throw Failure(kOutOfResources);
    uint32_t bandRows = 0;
    if (tiled)
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &bandRows);
    else
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &bandRows);
    const int width = size.width(), height = size.height();
    const int band = int(std::clamp<uint32_t>(bandRows, 1, uint32_t(height)));

    TIFFRGBAImage rgba {};
    if (!TIFFRGBAImageBegin(&rgba, tif, 1, message))
        throw Failure(Invalid(QString::fromUtf8(message)));
    struct End {
        TIFFRGBAImage* image;
        ~End() { TIFFRGBAImageEnd(image); }
    } end {&rgba};
    rgba.req_orientation = rgba.orientation; // rows and columns as stored

    Reducer reducer;
    if (atLeast.width() > 0 && atLeast.height() > 0)
        reducer.factor = std::max(1, std::min(width / atLeast.width(), height / atLeast.height()));
    const int f = reducer.factor;
    reducer.width = width;
    reducer.straight = rgba.alpha == EXTRASAMPLE_UNASSALPHA &&
        (rgba.photometric == PHOTOMETRIC_MINISBLACK || rgba.photometric == PHOTOMETRIC_MINISWHITE);
    reducer.outWidth = (width + f - 1) / f;
    QImage image(reducer.outWidth, (height + f - 1) / f, QImage::Format_ARGB32);
    if (image.isNull())
        throw Failure(kOutOfResources);
    image.fill(0);
    std::vector<uint32_t> raster(size_t(width) * size_t(band));
    reducer.sums.assign(size_t(reducer.outWidth) * 4, 0);

    RasterImage result;
    int done = 0;
    for (int y = 0; y < height; y += band) {
        if (stop && stop()) {
            result.error = QStringLiteral("Stopped");
            break;
        }
        const int rows = std::min(band, height - y);
        rgba.row_offset = y;
        rgba.col_offset = 0;
        t.Said().Clear();
        if (!TIFFRGBAImageGet(&rgba, raster.data(), uint32_t(width), uint32_t(rows))) {
            result.error = Invalid(t.Said().error.isEmpty() ? QStringLiteral("damaged data") : t.Said().error);
            break;
        }
        for (int r = 0; r < rows; ++r) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine((y + r) / f));
            reducer.Add(raster.data() + size_t(r) * size_t(width), line);
            if (reducer.rows == f || y + r == height - 1)
                reducer.Flush(line);
        }
        done = y + rows;
    }
    if (done < height)
        reducer.Flush(reinterpret_cast<QRgb*>(image.scanLine(done / f)));
    if (done > 0)
        result.image = std::move(image);
    return result;
}

} // namespace

namespace {
RasterFacts AllFacts(Tiff& t)
{
    RasterFacts facts = FactsOf(t.Get());
    // libtiff stops counting at a directory seen before, so a loop of them ends.
    facts.frames = std::max<int>(1, int(TIFFNumberOfDirectories(t.Get())));
    return facts;
}

RasterImage Decode(Tiff& t, QSize atLeast, const StopAsked& stop)
{
    const QSize page = SizeOf(t.Get());
    ChooseDirectory(t, page, atLeast);
    const QSize size = SizeOf(t.Get());
    return DecodeDirectory(t, size, atLeast, stop);
}
} // namespace

RasterFacts ReadTiffFacts(const QByteArray& head)
{
    Tiff t(head);
    return AllFacts(t);
}

RasterImage DecodeTiff(const QByteArray& data, QSize atLeast, const StopAsked& stop)
{
    Tiff t(data);
    return Decode(t, atLeast, stop);
}

RasterFacts ReadTiffFileFacts(FileStream& file)
{
    Tiff t(file);
    return AllFacts(t);
}

RasterImage DecodeTiffFile(FileStream& file, QSize atLeast, const StopAsked& stop)
{
    Tiff t(file);
    return Decode(t, atLeast, stop);
}
