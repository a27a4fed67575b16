// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The check of a damaged or hostile file for the readers of library-read kinds, from the
// columns AddDamageColumns makes.
#include <QtTest>
#include "ErrorOf.h"
#include "MagickReference.h"
#include "picture/RasterCodec.h"

inline void AddDamageColumns()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QImage>("picture");   // what the file holds
    QTest::addColumn<QString>("thrown");   // both calls' failure starts so; empty: none
    QTest::addColumn<bool>("errorWanted"); // the decoding reports a reason
    QTest::addColumn<int>("stopAfter");    // rows the stop lets through, -1 for no stop
    QTest::addColumn<int>("goodRows");     // top rows that must be the picture's; 0: nothing decoded
    QTest::addColumn<int>("frames");       // counted by the facts, -1 not asked
}

template <typename Facts, typename Decode>
void CheckDamage(Facts readFacts, Decode decode)
{
    QFETCH(QByteArray, file);
    QFETCH(QImage, picture);
    QFETCH(QString, thrown);
    QFETCH(bool, errorWanted);
    QFETCH(int, stopAfter);
    QFETCH(int, goodRows);
    QFETCH(int, frames);
    RasterFacts facts;
    QVERIFY(ErrorOf([&] { facts = readFacts(file); }).startsWith(thrown));
    if (frames >= 0)
        QCOMPARE(facts.frames, frames);
    RasterImage got;
    int calls = 0;
    const StopAsked stop = [&] { return calls++ >= stopAfter; };
    const QString error = ErrorOf([&] { got = decode(file, QSize(), stopAfter < 0 ? StopAsked() : stop); });
    QCOMPARE(error.isEmpty(), thrown.isEmpty());
    QVERIFY(error.startsWith(thrown));
    if (!thrown.isEmpty())
        return;
    QCOMPARE(!got.error.isEmpty(), errorWanted);
    if (stopAfter >= 0)
        QCOMPARE(got.error, QStringLiteral("Stopped"));
    if (goodRows == 0) {
        QVERIFY(got.image.isNull());
        return;
    }
    const QRect top(0, 0, picture.width(), goodRows);
    QCOMPARE(PixelDifference(got.image.copy(top), picture.copy(top)), QString());
    if (errorWanted) // rows the file does not reach stay transparent
        QCOMPARE(got.image.pixel(0, got.image.height() - 1), 0u);
}
