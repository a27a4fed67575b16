// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// LibRaw's input taken from a file in pieces, so that reading a camera's facts and preview
// never holds the raw file whole: LibRaw seeks about the file's directories and reads the
// preview once.
#include <cstddef>
#include <vector>
#include <libraw/libraw_datastream.h>

class FileStream;

class RawFileSource final : public LibRaw_abstract_datastream {
public:
    explicit RawFileSource(FileStream& file);
    int valid() override { return 1; }
    // As fread: whole items read (a last part item counts), fewer at the end or on an error.
    int read(void* into, size_t size, size_t count) override;
    // Clamped to the file; always 0.
    int seek(INT64 offset, int whence) override;
    INT64 tell() override { return m_pos; }
    INT64 size() override { return m_size; }
    int get_char() override;
    // As fgets.
    char* gets(char* into, int size) override;
    // As fscanf with one conversion, on the next word.
    int scanf_one(const char* format, void* value) override;
    int eof() override { return m_pos >= m_size ? 1 : 0; }
    void* make_jas_stream() override { return nullptr; }

private:
    // Copies up to `want` bytes from the current position and moves past them.
    size_t Take(void* into, size_t want);

    FileStream& m_file;
    INT64 m_size = 0;
    INT64 m_pos = 0;
    std::vector<char> m_buffer; // the file's bytes from m_bufferAt
    INT64 m_bufferAt = 0;
    size_t m_buffered = 0;
};
