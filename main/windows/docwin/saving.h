// Helpers of the document window's saving and export that other families share.
#pragma once

#include "platform/codec/dib.h"

#include <QString>

#include <cstdint>
#include <span>

class TPaper;
struct tagBITMAPINFOHEADER;

// The display image composed for a flattened output (a save, a copy, a render): without the grid,
// and on a white canvas colour when the document hides its canvas colour. When it goes the
// document shows what it showed before: a colour shown only for the output is hidden again with
// its own colour and the display recomposed with grid and caches; otherwise a stale display gets
// its optional overlay drawn again.
class CExportCanvas
{
  public:
    explicit CExportCanvas(TPaper &paper);
    ~CExportCanvas();
    CExportCanvas(const CExportCanvas &) = delete;
    CExportCanvas &operator=(const CExportCanvas &) = delete;

    // The canvas colour was shown for this output only.
    bool shownForOutput() const { return m_shown; }

  private:
    TPaper &m_paper;
    bool m_shown = false;
    uint32_t m_colour = 0;
};

// Today's automatic picture in folder: "YYYY-MM-DD.bmp", or the first free "YYYY-MM-DD(n).bmp"
// from n = 2. The date is the local date of the installed UTC clock.
QString makeAutoBmpFileName(const QString &folder);

// A DIB made by the canvas as the codec's writers take it: the header and its pixel rows.
codec::BitmapInfoHeader codecHeaderOf(const tagBITMAPINFOHEADER &info);
std::span<const uint8_t> dibBitsOf(const tagBITMAPINFOHEADER &info, const uint8_t *bits);
