// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one failure type of the program: it carries the user-visible text.
#include <stdexcept>
#include <QString>

class Failure : public std::runtime_error {
public:
    explicit Failure(const QString& text) : std::runtime_error(text.toStdString()) {}
    explicit Failure(const char* text) : std::runtime_error(text) {}
    QString Text() const { return QString::fromStdString(what()); }
};

// Texts shared by several readers.
inline constexpr const char* kOutOfResources = "Out of system resources";
inline constexpr const char* kBitmapInvalid = "Bitmap image is not valid";
inline constexpr const char* kIconInvalid = "Icon image is not valid";
