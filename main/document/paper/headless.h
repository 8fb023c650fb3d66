// Headless documents for tests, tools and benchmarks: sizing a new document with plain layers,
// and a stable text of a document's state that later runs compare with golden text.
#pragma once

#include "core/base/geometry.h"

#include <QString>

#include <cstdint>

class TPaper;

// Sizes a new document (paper size, DPI 72 when unset, canvas colour, display and clipping images, the
// zoom caches, cleared)
// and adds layers plain standard layers ("レイヤ1", ...), the bottom one active; the owner's flow
// image, when it has one, is fitted and loaded with it. The document becomes ready. False when a
// layer or an image cannot be made. Not the program's document creation: no event is recorded.
bool setupHeadlessPaper(TPaper &paper, const sSize &size, uint32_t canvasColor, int32_t layers);

// A stable text of the document: its attributes, each layer's attributes and a checksum of its
// pixels, the masks, and the undo counts. Unique identifiers are left out.
QString dumpPaperState(const TPaper &paper);
