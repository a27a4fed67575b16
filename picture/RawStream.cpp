// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/RawStream.h"
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <limits>
#include "picture/FileRead.h"

namespace {
// Directories and tags are read a few bytes at a time: one system read serves many.
constexpr size_t kBufferSize = 64 * 1024;
// Longer than any number a raw file's text header holds.
constexpr size_t kWordMax = 63;
// What one read can report in its int.
constexpr size_t kMaxRead = std::numeric_limits<int>::max();
} // namespace

RawFileSource::RawFileSource(FileStream& file) : m_file(file), m_size(file.Size()), m_buffer(kBufferSize) {}

size_t RawFileSource::Take(void* into, size_t want)
{
    want = size_t(std::min<INT64>(INT64(want), std::max<INT64>(0, m_size - m_pos)));
    auto* at = static_cast<char*>(into);
    size_t done = 0;
    while (done < want) {
        const size_t left = want - done;
        if (m_pos >= m_bufferAt && m_pos < m_bufferAt + INT64(m_buffered)) {
            const size_t n = std::min(left, size_t(m_bufferAt + INT64(m_buffered) - m_pos));
            std::memcpy(at + done, m_buffer.data() + (m_pos - m_bufferAt), n);
            done += n;
            m_pos += INT64(n);
            continue;
        }
        if (left >= kBufferSize) { // a preview or a strip: straight into place
            const int64_t n = m_file.ReadAt(m_pos, at + done, left);
            if (n <= 0)
                break;
            done += size_t(n);
            m_pos += n;
            continue;
        }
        const int64_t n = m_file.ReadAt(m_pos, m_buffer.data(), kBufferSize);
        m_bufferAt = m_pos;
        m_buffered = n > 0 ? size_t(n) : 0;
        if (n <= 0)
            break;
    }
    return done;
}

int RawFileSource::read(void* into, size_t size, size_t count)
{
    if (size == 0 || count == 0)
        return 0;
    const size_t want = count > kMaxRead / size ? kMaxRead : size * count;
    const size_t done = Take(into, want);
    return int((done + size - 1) / size);
}

int RawFileSource::seek(INT64 offset, int whence)
{
    const INT64 base = whence == SEEK_CUR ? m_pos : whence == SEEK_END ? m_size : 0;
    INT64 to = 0;
    if (__builtin_add_overflow(base, offset, &to))
        to = offset < 0 ? 0 : m_size;
    m_pos = std::clamp<INT64>(to, 0, m_size);
    return 0;
}

int RawFileSource::get_char()
{
    unsigned char c = 0;
    return Take(&c, 1) == 1 ? c : -1;
}

char* RawFileSource::gets(char* into, int size)
{
    if (size <= 0)
        return nullptr;
    int n = 0;
    while (n < size - 1) {
        const int c = get_char();
        if (c < 0)
            break;
        into[n++] = char(c);
        if (c == '\n')
            break;
    }
    into[n] = '\0';
    return n > 0 ? into : nullptr;
}

int RawFileSource::scanf_one(const char* format, void* value)
{
    int c = get_char();
    while (c >= 0 && std::isspace(c))
        c = get_char();
    if (c < 0)
        return EOF;
    char word[kWordMax + 1] = {};
    size_t n = 0;
    while (c >= 0 && !std::isspace(c) && n < kWordMax) {
        word[n++] = char(c);
        c = get_char();
    }
    // NOLINTNEXTLINE(cert-err34-c): LibRaw checks the value it asked for
    return std::sscanf(word, format, value);
}
