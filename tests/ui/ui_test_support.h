// Shared pieces of the interface tests: the fixed colour table and the process-wide interface
// state for the whole run, pictures of memory graphics, and golden pictures.
//
// Goldens live in tests/data/ui/<name>.png. A mismatch writes <name>_actual.png and
// <name>_expected.png into ui-golden-failures/ of the working folder; KAVRIN_UPDATE_GOLDENS=1
// rewrites the golden instead. Masked rectangles (text, whose pixels depend on the installed
// fonts) are painted over in both pictures before comparing.
#pragma once

#include "ui/graphics/memory_graphic.h"

#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

#include <string>

// A copy of the graphic's pixels (ARGB32, alpha kept).
QImage pictureOf(const TMemoryGraphic &g);
// Pictures side by side, top-aligned, on transparent.
QImage sideBySide(const QList<QImage> &pictures, int gap = 1);
// Empty when the picture matches the golden, else what differs.
std::string compareWithGolden(const QImage &actual, const QString &name,
                              const QList<QRect> &masks = {});
#define EXPECT_GOLDEN(image, name, ...)                                                            \
    EXPECT_EQ(compareWithGolden((image), (name), ##__VA_ARGS__), std::string())

// A pixel as "b,g,r,a".
std::string px(TColor32 c);

class TqZListView;
// A list's item names in order, space-separated.
QString itemNames(const TqZListView &v);
