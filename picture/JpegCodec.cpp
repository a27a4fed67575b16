// SPDX-License-Identifier: GPL-3.0-or-later
// Every call into libjpeg lives in this file. libjpeg reports a fatal error by calling
// error_exit, which must not return; ours longjmps back to the step that made the call.
// So each step that calls libjpeg (the Step* functions) is a plain function with its own
// setjmp and no C++ object with a destructor, and all state it changes lives in a job
// struct owned by its caller, outside the frames the longjmp skips. The callbacks handed
// to libjpeg (source, destination, progress, error) are plain functions as well; the
// progress hook reaches the C++ handler through JpegProgressSink, which lets nothing out.
#include "picture/JpegCodec.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include <jpeglib.h>
#include <jerror.h>

#include "picture/ColourProfile.h"
#include "picture/Exif.h"
#include "picture/Failure.h"
#include "picture/JpegProgress.h"
#include "picture/Limits.h"

namespace {

// Message codes of our own, beyond libjpeg's table.
constexpr int kCodeTooManyScans = 200; // more scans than PictureLimits::kMaxJpegScans
constexpr int kCodeAborted = 201;      // a progress handler threw: stop (never shown as a number)
static_assert(kCodeTooManyScans > int(JMSG_LASTMSGCODE) && kCodeAborted > int(JMSG_LASTMSGCODE));

// libjpeg's own working memory (whole-image coefficient buffers of progressive files, the
// two-pass quantiser's image copy), beside the output bitmap that PictureLimits bounds.
// Beyond it libjpeg fails with "backing store not supported" instead of allocating. Half the
// limit: it lives beside the output bitmap, which takes at most the other half.
constexpr long kLibjpegMemory = long(PictureLimits::kMaxDecodedBytes / 2);
// Compressed output never grows beyond this.
constexpr size_t kMaxEncodedBytes = size_t(PictureLimits::kMaxDecodedBytes) * 2;

const JOCTET kFakeEoi[2] = {0xFF, JPEG_EOI};

// ---- error manager ------------------------------------------------------------------

struct ErrorMgr {
    jpeg_error_mgr pub; // first: libjpeg's pointer to it is a pointer to us
    std::jmp_buf jump;
};

void ErrorExit(j_common_ptr cinfo)
{
    // msg_code holds the reason; the step that called libjpeg reads it after the jump.
    std::longjmp(reinterpret_cast<ErrorMgr*>(cinfo->err)->jump, 1);
}

// Warnings and trace messages are neither shown nor counted as errors.
void IgnoreMessage(j_common_ptr, int) {}
void IgnoreOutput(j_common_ptr) {}

[[noreturn]] void Fail(j_common_ptr cinfo, int code)
{
    cinfo->err->msg_code = code;
    cinfo->err->error_exit(cinfo);
    std::abort(); // error_exit never returns
}

void InitErrors(ErrorMgr* err)
{
    jpeg_std_error(&err->pub);
    err->pub.error_exit = ErrorExit;
    err->pub.emit_message = IgnoreMessage;
    err->pub.output_message = IgnoreOutput;
}

// ---- in-memory source -----------------------------------------------------------------

struct SourceMgr {
    jpeg_source_mgr pub;
    const JOCTET* data;
    size_t size;
    size_t pos;
};

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInput(j_decompress_ptr cinfo)
{
    auto* src = reinterpret_cast<SourceMgr*>(cinfo->src);
    if (src->pos < src->size) {
        // Everything at once: libjpeg-turbo decodes with its fast Huffman path only while
        // several kilobytes are left in the buffer, so small pieces would slow every decode.
        const size_t n = src->size - src->pos;
        src->pub.next_input_byte = src->data + src->pos;
        src->pub.bytes_in_buffer = n;
        src->pos += n;
        return TRUE;
    }
    if (src->pos == 0)
        ERREXIT(cinfo, JERR_INPUT_EMPTY);
    // A truncated file: an end-of-image marker lets it decode as far as its data go.
    WARNMS(cinfo, JWRN_JPEG_EOF);
    src->pub.next_input_byte = kFakeEoi;
    src->pub.bytes_in_buffer = sizeof kFakeEoi;
    return TRUE;
}

void SkipInput(j_decompress_ptr cinfo, long count)
{
    jpeg_source_mgr* src = cinfo->src;
    if (count <= 0)
        return;
    while (count > long(src->bytes_in_buffer)) {
        count -= long(src->bytes_in_buffer);
        FillInput(cinfo);
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= size_t(count);
}

// ---- growing in-memory destination ----------------------------------------------------

struct DestMgr {
    jpeg_destination_mgr pub;
    JOCTET* buffer; // malloc'ed; freed by the caller of the encoding step
    size_t capacity;
};

void InitDest(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<DestMgr*>(cinfo->dest);
    dest->capacity = size_t(1) << 16;
    dest->buffer = static_cast<JOCTET*>(std::malloc(dest->capacity));
    if (!dest->buffer)
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = dest->capacity;
}

boolean EmptyDest(j_compress_ptr cinfo)
{
    // The whole buffer is full: double it.
    auto* dest = reinterpret_cast<DestMgr*>(cinfo->dest);
    const size_t used = dest->capacity;
    if (used > kMaxEncodedBytes / 2)
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 1);
    auto* grown = static_cast<JOCTET*>(std::realloc(dest->buffer, used * 2));
    if (!grown)
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 2);
    dest->buffer = grown;
    dest->capacity = used * 2;
    dest->pub.next_output_byte = grown + used;
    dest->pub.free_in_buffer = dest->capacity - used;
    return TRUE;
}

void TermDest(j_compress_ptr) {}

// ---- progress ---------------------------------------------------------------------------

struct ProgressMgr {
    jpeg_progress_mgr pub;
    JpegProgressSink* sink;
    const int32_t* rows;             // rows done in the current output pass, null when encoding
    const std::atomic<bool>* cancel; // null when nothing can stop the coding from outside
};

void ProgressHook(j_common_ptr cinfo)
{
    // Counting scans here bounds the work a crafted file with thousands of scans can cause:
    // libjpeg calls the hook at least once for every scan it reads.
    if (cinfo->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > PictureLimits::kMaxJpegScans)
        Fail(cinfo, kCodeTooManyScans);
    auto* mgr = reinterpret_cast<ProgressMgr*>(cinfo->progress);
    // libjpeg calls the hook for every row it hands out, so a stop is seen within a row.
    if (mgr->cancel && mgr->cancel->load(std::memory_order_relaxed))
        Fail(cinfo, kCodeAborted);
    const jpeg_progress_mgr& p = mgr->pub;
    const int32_t rows = mgr->rows ? *mgr->rows : 0;
    if (!mgr->sink->Hook(p.completed_passes, p.pass_counter, p.pass_limit, p.total_passes, rows))
        Fail(cinfo, kCodeAborted);
}

QString ErrorText(int code, const JpegProgressSink& sink)
{
    if (code == kCodeAborted)
        return sink.AbortText();
    // The memory limit above, or malloc failing: the picture is too large to hold.
    if (code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE)
        return QString::fromLatin1(kOutOfResources);
    return QStringLiteral("JPEG error #%1").arg(code);
}

// ---- decoding -----------------------------------------------------------------------------

enum class OutMode {
    Direct,   // libjpeg's rows go straight into the bitmap (B,G,R bytes, or indices)
    Cmyk,     // CMYK rows converted to B,G,R
    CmykGrey, // CMYK rows converted to grey-level indices
};

struct DecodeJob {
    jpeg_decompress_struct cinfo;
    ErrorMgr err;
    SourceMgr src;
    ProgressMgr progress;
    bool created;
    OutMode mode;
    bool cmykInverted; // Adobe CMYK: stored as 255 - ink
    int greyLevels;    // CmykGrey: entries of the grey table
    uint8_t* bits;     // the output bitmap's rows, top row first
    size_t stride;
    JSAMPROW scratch;   // one row of CMYK samples (libjpeg's pool)
    int32_t rowsDone;   // rows of the current output pass
    RgbQuad table[256]; // colour table of an 8-bit output
    int tableSize;
    // The final pass's settings, kept while earlier passes of progressive display run fast.
    J_DCT_METHOD finalDct;
    boolean finalTwoPass;
    J_DITHER_MODE finalDither;
    int lastTwoPass;  // -1 before the first output pass
    bool saveProfile; // keep the APP2 markers that carry a colour profile
    JOCTET* icc;      // the profile libjpeg put together (malloc'ed; freed by the guard)
    unsigned iccSize;
};

void InitDecodeJob(DecodeJob* job, const QByteArray& data, JpegProgressSink* sink,
                   const std::atomic<bool>* cancel = nullptr)
{
    InitErrors(&job->err);
    job->cinfo.err = &job->err.pub;
    job->src.pub.init_source = InitSource;
    job->src.pub.fill_input_buffer = FillInput;
    job->src.pub.skip_input_data = SkipInput;
    job->src.pub.resync_to_restart = jpeg_resync_to_restart;
    job->src.pub.term_source = TermSource;
    job->src.data = reinterpret_cast<const JOCTET*>(data.constData());
    job->src.size = size_t(data.size());
    job->progress.pub.progress_monitor = ProgressHook;
    job->progress.sink = sink;
    job->progress.rows = &job->rowsDone;
    job->progress.cancel = cancel;
    job->lastTwoPass = -1;
}

uint8_t Scale255(int a, int b)
{
    return uint8_t((a * b + 127) / 255);
}

// One CMYK sample as B,G,R. Each channel is (1 - ink) * (1 - black).
void CmykToBgr(const JSAMPLE* s, bool inverted, uint8_t* bgr)
{
    int c = s[0], m = s[1], y = s[2], k = s[3];
    if (!inverted) {
        c = 255 - c;
        m = 255 - m;
        y = 255 - y;
        k = 255 - k;
    }
    bgr[0] = Scale255(y, k);
    bgr[1] = Scale255(m, k);
    bgr[2] = Scale255(c, k);
}

RgbQuad Grey(int v)
{
    return RgbQuad {uint8_t(v), uint8_t(v), uint8_t(v), 0};
}

void FillGreyTable(DecodeJob* job, int levels)
{
    for (int i = 0; i < levels; ++i)
        job->table[i] = Grey((i * 255 + (levels - 1) / 2) / (levels - 1));
    job->tableSize = levels;
}

void ConvertRow(DecodeJob* job, uint8_t* dst)
{
    const JSAMPLE* s = job->scratch;
    const JDIMENSION width = job->cinfo.output_width;
    uint8_t bgr[3];
    for (JDIMENSION x = 0; x < width; ++x, s += 4) {
        if (job->mode == OutMode::Cmyk) {
            CmykToBgr(s, job->cmykInverted, dst + 3 * size_t(x));
        } else {
            CmykToBgr(s, job->cmykInverted, bgr);
            const int luma = (bgr[2] * 299 + bgr[1] * 587 + bgr[0] * 114 + 500) / 1000;
            dst[x] = uint8_t((luma * (job->greyLevels - 1) + 127) / 255);
        }
    }
}

void CopyColormap(DecodeJob* job)
{
    j_decompress_ptr c = &job->cinfo;
    if (!c->quantize_colors || !c->colormap)
        return;
    const int n = std::clamp(c->actual_number_of_colors, 0, 256);
    for (int i = 0; i < n; ++i) {
        JSAMPARRAY map = c->colormap;
        switch (c->out_color_components) {
        case 1: job->table[i] = Grey(map[0][i]); break;
        case 3: job->table[i] = RgbQuad {map[2][i], map[1][i], map[0][i], 0}; break;
        case 4: {
            const JSAMPLE cmyk[4] = {map[0][i], map[1][i], map[2][i], map[3][i]};
            uint8_t bgr[3];
            CmykToBgr(cmyk, job->cmykInverted, bgr);
            job->table[i] = RgbQuad {bgr[0], bgr[1], bgr[2], 0};
            break;
        }
        default: job->table[i] = Grey(0);
        }
    }
    job->tableSize = n;
}

// Reads one output pass from top to bottom into the bitmap.
void ReadPass(DecodeJob* job)
{
    j_decompress_ptr c = &job->cinfo;
    job->rowsDone = 0;
    while (c->output_scanline < c->output_height) {
        const JDIMENSION y = c->output_scanline;
        uint8_t* dst = job->bits + size_t(y) * job->stride;
        JSAMPROW row = job->mode == OutMode::Direct ? dst : job->scratch;
        if (jpeg_read_scanlines(c, &row, 1) != 1)
            break; // only a suspending source returns no row; ours never suspends
        if (job->mode != OutMode::Direct)
            ConvertRow(job, dst);
        job->rowsDone = int32_t(y) + 1;
    }
}

void UseFastSettings(j_decompress_ptr c)
{
    c->dct_method = JDCT_IFAST;
    c->two_pass_quantize = FALSE;
    c->dither_mode = JDITHER_ORDERED;
}

bool StepReadHeader(DecodeJob* job)
{
    if (setjmp(job->err.jump))
        return false;
    jpeg_create_decompress(&job->cinfo);
    job->created = true;
    job->cinfo.mem->max_memory_to_use = kLibjpegMemory;
    job->cinfo.src = &job->src.pub;
    job->cinfo.progress = &job->progress.pub;
    // The EXIF segment, and the colour profile when decoding, are kept while the header is
    // read; markers between later scans are skipped again, so what is kept never exceeds the
    // file's header (a marker holds at most 65,533 bytes).
    jpeg_save_markers(&job->cinfo, JPEG_APP0 + 1, 0xFFFF);
    if (job->saveProfile)
        jpeg_save_markers(&job->cinfo, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(&job->cinfo, TRUE);
    jpeg_save_markers(&job->cinfo, JPEG_APP0 + 1, 0);
    jpeg_save_markers(&job->cinfo, JPEG_APP0 + 2, 0);
    return true;
}

bool StepReadProfile(DecodeJob* job)
{
    if (setjmp(job->err.jump))
        return false;
    // A damaged set of profile markers gives no profile (libjpeg's warning is not shown).
    if (!jpeg_read_icc_profile(&job->cinfo, &job->icc, &job->iccSize)) {
        job->icc = nullptr;
        job->iccSize = 0;
    }
    return true;
}

// The Orientation tag of the first EXIF segment, 1 when there is none.
int OrientationOf(const jpeg_decompress_struct& c)
{
    for (jpeg_saved_marker_ptr m = c.marker_list; m; m = m->next)
        if (m->marker == JPEG_APP0 + 1 && IsExifSegment(m->data, m->data_length))
            return ExifOrientation(m->data, m->data_length);
    return 1;
}

// The embedded profile of a colour file, read only when its markers together stay within
// the profile limit, so a file of many profile markers costs no large allocation.
QByteArray ProfileOf(DecodeJob* job)
{
    const jpeg_decompress_struct& c = job->cinfo;
    if (c.num_components != 3 || (c.jpeg_color_space != JCS_YCbCr && c.jpeg_color_space != JCS_RGB))
        return {};
    static constexpr char kIccId[12] = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', '\0'};
    qsizetype total = 0;
    bool any = false;
    for (jpeg_saved_marker_ptr m = c.marker_list; m; m = m->next)
        if (m->marker == JPEG_APP0 + 2 && m->data_length >= sizeof kIccId &&
            std::memcmp(m->data, kIccId, sizeof kIccId) == 0) {
            any = true;
            total += qsizetype(m->data_length);
        }
    if (!any || total > kMaxColourProfile || !StepReadProfile(job) || !job->icc)
        return {};
    return QByteArray(reinterpret_cast<const char*>(job->icc), qsizetype(job->iccSize));
}

bool StepConfigure(DecodeJob* job, const JpegDecodeOptions* o)
{
    if (setjmp(job->err.jump))
        return false;
    j_decompress_ptr c = &job->cinfo;
    c->scale_num = 1;
    c->scale_denom = unsigned(std::max(1, o->scaleDenom));
    c->do_block_smoothing = o->smoothing ? TRUE : FALSE;
    job->mode = OutMode::Direct;
    if (c->jpeg_color_space == JCS_CMYK || c->jpeg_color_space == JCS_YCCK) {
        // libjpeg has no CMYK-to-RGB conversion: take CMYK and convert here.
        c->out_color_space = JCS_CMYK;
        job->cmykInverted = c->saw_Adobe_marker;
        if (o->grayscaleOut)
            job->mode = OutMode::CmykGrey;
        else if (!o->quantize)
            job->mode = OutMode::Cmyk;
    } else if (o->grayscaleOut || c->jpeg_color_space == JCS_GRAYSCALE) {
        c->out_color_space = JCS_GRAYSCALE;
    } else {
        // Unquantised rows come out in the bitmap's own B,G,R order. The quantisers
        // weigh their channels as R,G,B, so quantised output asks for that.
        c->out_color_space = o->quantize ? JCS_RGB : o->rgb32 ? JCS_EXT_BGRA : JCS_EXT_BGR;
    }
    const int colors = std::clamp(o->colors, 8, 256);
    if (o->quantize && job->mode == OutMode::Direct) {
        c->quantize_colors = TRUE;
        c->desired_number_of_colors = colors;
    }
    if (o->fast)
        UseFastSettings(c);
    job->finalDct = c->dct_method;
    job->finalTwoPass = c->two_pass_quantize;
    job->finalDither = c->dither_mode;
    if (o->buffered && jpeg_has_multiple_scans(c)) {
        c->buffered_image = TRUE;
        if (c->quantize_colors)
            c->enable_1pass_quant = TRUE; // the early passes quantise in one pass
    }
    jpeg_calc_output_dimensions(c);
    if (job->mode == OutMode::CmykGrey) {
        job->greyLevels = o->quantize ? colors : 256;
        FillGreyTable(job, job->greyLevels);
    } else if (job->mode == OutMode::Direct && !c->quantize_colors && c->output_components == 1) {
        FillGreyTable(job, 256);
    }
    return true;
}

bool StepDecode(DecodeJob* job)
{
    if (setjmp(job->err.jump))
        return false;
    j_decompress_ptr c = &job->cinfo;
    if (job->mode != OutMode::Direct)
        job->scratch = c->mem->alloc_sarray(reinterpret_cast<j_common_ptr>(c), JPOOL_IMAGE,
                                            c->output_width * JDIMENSION(c->out_color_components), 1)[0];
    jpeg_start_decompress(c);
    if (!c->buffered_image) {
        CopyColormap(job);
        ReadPass(job);
        return true;
    }
    // Progressive display: one fast output pass per scan until the input ends, then the
    // final pass with the chosen settings.
    bool final = false;
    do {
        if (c->input_scan_number > PictureLimits::kMaxJpegScans)
            Fail(reinterpret_cast<j_common_ptr>(c), kCodeTooManyScans);
        final = jpeg_input_complete(c);
        if (final) {
            c->dct_method = job->finalDct;
            c->two_pass_quantize = job->finalTwoPass;
            c->dither_mode = job->finalDither;
        } else {
            UseFastSettings(c);
        }
        // A change of quantiser must be announced by dropping the previous pass's map.
        if (c->quantize_colors && job->lastTwoPass >= 0 && job->lastTwoPass != int(c->two_pass_quantize))
            c->colormap = nullptr;
        job->lastTwoPass = int(c->two_pass_quantize);
        jpeg_start_output(c, c->input_scan_number);
        CopyColormap(job);
        ReadPass(job);
        jpeg_finish_output(c);
    } while (!final);
    return true;
}

// Destroys the libjpeg object however the decoding ends.
struct DecompressGuard {
    DecodeJob* job;
    ~DecompressGuard()
    {
        std::free(job->icc);
        if (job->created)
            jpeg_destroy_decompress(&job->cinfo);
    }
};

// ---- encoding -----------------------------------------------------------------------------

struct EncodeJob {
    jpeg_compress_struct cinfo;
    ErrorMgr err;
    DestMgr dest;
    ProgressMgr progress;
    bool created;
    const uint8_t* bits;
    size_t stride;
    int32_t width, height;
    int quality;
    bool grayscale, progressive;
};

bool StepEncode(EncodeJob* job)
{
    if (setjmp(job->err.jump))
        return false;
    j_compress_ptr c = &job->cinfo;
    jpeg_create_compress(c);
    job->created = true;
    c->mem->max_memory_to_use = kLibjpegMemory;
    c->dest = &job->dest.pub;
    c->progress = &job->progress.pub;
    c->image_width = JDIMENSION(job->width);
    c->image_height = JDIMENSION(job->height);
    c->input_components = 3;
    // The bitmap holds B,G,R; libjpeg-turbo reads that order itself and converts it
    // exactly as it would the same pixels given as R,G,B.
    c->in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(c);
    jpeg_set_quality(c, job->quality, TRUE);
    if (job->grayscale)
        jpeg_set_colorspace(c, JCS_GRAYSCALE);
    if (job->progressive)
        jpeg_simple_progression(c);
    jpeg_start_compress(c, TRUE);
    while (c->next_scanline < c->image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(job->bits + size_t(c->next_scanline) * job->stride);
        jpeg_write_scanlines(c, &row, 1);
    }
    jpeg_finish_compress(c);
    return true;
}

struct CompressGuard {
    EncodeJob* job;
    ~CompressGuard()
    {
        std::free(job->dest.buffer);
        if (job->created)
            jpeg_destroy_compress(&job->cinfo);
    }
};

} // namespace

int JpegEmptyInputCode()
{
    return JERR_INPUT_EMPTY;
}
int JpegTooManyScansCode()
{
    return kCodeTooManyScans;
}

JpegHeader JpegReadHeader(const QByteArray& data, bool withThumbnail)
{
    const JpegProgressFn none;
    JpegProgressSink sink(none);
    DecodeJob job {};
    InitDecodeJob(&job, data, &sink);
    job.saveProfile = withThumbnail;
    DecompressGuard guard {&job};
    if (!StepReadHeader(&job))
        throw Failure(ErrorText(job.err.pub.msg_code, sink));
    const jpeg_decompress_struct& c = job.cinfo;
    JpegHeader h;
    h.width = int32_t(c.image_width);
    h.height = int32_t(c.image_height);
    h.grayscale = c.jpeg_color_space == JCS_GRAYSCALE;
    h.multiScan = jpeg_has_multiple_scans(&job.cinfo);
    h.components = c.num_components;
    h.colorSpace = int(c.jpeg_color_space);
    h.orientation = OrientationOf(c);
    if (withThumbnail) {
        for (jpeg_saved_marker_ptr m = c.marker_list; m && h.exifThumbnail.isEmpty(); m = m->next)
            if (m->marker == JPEG_APP0 + 1 && IsExifSegment(m->data, m->data_length)) {
                const std::vector<uint8_t> t = ExifThumbnail(m->data, m->data_length);
                h.exifThumbnail = QByteArray(reinterpret_cast<const char*>(t.data()), qsizetype(t.size()));
            }
        h.iccProfile = ProfileOf(&job);
    }
    return h;
}

JpegDecodeResult JpegDecode(const QByteArray& data, const JpegDecodeOptions& options, const JpegProgressFn& progress)
{
    JpegDecodeResult result;
    JpegProgressSink sink(progress);
    if (options.cancel && options.cancel->load(std::memory_order_relaxed)) {
        result.error = sink.AbortText(); // stopped before it began: nothing to report
        return result;
    }
    if (!sink.Edge(TProgressStage::Starting, 0)) {
        result.error = sink.AbortText();
        sink.Edge(TProgressStage::Ending, 0);
        return result;
    }
    DecodeJob job {};
    InitDecodeJob(&job, data, &sink, options.cancel);
    job.saveProfile = true;
    DecompressGuard guard {&job};
    bool ok = StepReadHeader(&job);
    if (ok) {
        result.orientation = OrientationOf(job.cinfo);
        result.iccProfile = ProfileOf(&job);
    }
    ok = ok && StepConfigure(&job, &options);
    if (ok) {
        // The size is checked before libjpeg or we allocate anything of that size.
        const int32_t width = int32_t(std::min<JDIMENSION>(job.cinfo.output_width, INT32_MAX));
        const int32_t height = int32_t(std::min<JDIMENSION>(job.cinfo.output_height, INT32_MAX));
        const bool indexed =
            job.mode == OutMode::CmykGrey || (job.mode == OutMode::Direct && job.cinfo.output_components == 1);
        const bool rgb32 = job.mode == OutMode::Direct && job.cinfo.output_components == 4;
        const uint16_t bitCount = indexed ? 8 : rgb32 ? 32 : 24;
        try {
            CheckReadSize(width, height, bitCount);
            result.dib = NewDib(width, height, bitCount);
        } catch (const Failure& f) {
            result.error = f.Text();
        } catch (const std::bad_alloc&) {
            result.error = QString::fromLatin1(kOutOfResources);
        }
        if (!result.dib)
            ok = false;
        else if (!result.dib->bits.empty()) {
            job.bits = result.dib->bits.data();
            job.stride = size_t(result.dib->stride);
            sink.Start(width, height);
            ok = StepDecode(&job);
        }
        if (result.dib && indexed) {
            // Before a colour map existed (a failure in the two-pass quantiser's first
            // pass) the untouched pixels, index 0, read as black.
            const int n = job.tableSize > 0 ? job.tableSize : std::clamp(options.colors, 1, 256);
            result.dib->colors.assign(job.table, job.table + std::min(n, 256));
        }
    }
    if (!ok && result.error.isEmpty())
        result.error = ErrorText(job.err.pub.msg_code, sink);
    sink.Edge(TProgressStage::Ending, ok ? 100 : 0);
    return result;
}

QByteArray JpegEncode(const DibImage& rgb24, int quality, bool grayscale, bool progressive,
                      const JpegProgressFn& progress, QString* error)
{
    if (error)
        error->clear();
    if (rgb24.width <= 0 || rgb24.height <= 0)
        return {};
    if (rgb24.bitCount != 24 || rgb24.stride < int64_t(rgb24.width) * 3 ||
        rgb24.bits.size() < size_t(rgb24.stride) * size_t(rgb24.height)) {
        if (error)
            *error = QStringLiteral("Invalid pixel format");
        return {};
    }
    JpegProgressSink sink(progress);
    if (!sink.Edge(TProgressStage::Starting, 0))
        return {}; // an abort leaves the data empty and is no error
    EncodeJob job {};
    InitErrors(&job.err);
    job.cinfo.err = &job.err.pub;
    job.dest.pub.init_destination = InitDest;
    job.dest.pub.empty_output_buffer = EmptyDest;
    job.dest.pub.term_destination = TermDest;
    job.progress.pub.progress_monitor = ProgressHook;
    job.progress.sink = &sink;
    job.bits = rgb24.bits.data();
    job.stride = size_t(rgb24.stride);
    job.width = rgb24.width;
    job.height = rgb24.height;
    job.quality = quality;
    job.grayscale = grayscale;
    job.progressive = progressive;
    CompressGuard guard {&job};
    sink.Start(0, 0);
    const bool ok = StepEncode(&job);
    QByteArray out;
    if (job.dest.buffer)
        out = QByteArray(reinterpret_cast<const char*>(job.dest.buffer),
                         qsizetype(job.dest.pub.next_output_byte - job.dest.buffer));
    if (!ok) {
        if (job.err.pub.msg_code == kCodeAborted)
            out.clear();
        else if (error)
            *error = ErrorText(job.err.pub.msg_code, sink);
    }
    sink.Edge(TProgressStage::Ending, ok ? 100 : 0);
    return out;
}
