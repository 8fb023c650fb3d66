// The document's picture as other programs get it: PNG renders, the PSD merged image and its
// thumbnail, the clipboard's copy of the canvas. The display composition keeps straight
// (non-premultiplied) colour under partial alpha while the canvas colour is hidden, so the picture
// is that composite with its own alpha; while the canvas colour is shown, the composite over it,
// opaque (the display image's alpha means nothing then).
#pragma once

class TMTC;
class TPaper;

// Recomposes the whole display image (without the grid) and fills out with the picture at the
// display image's size, as straight sBGRA. False when the document has no display image or the
// memory cannot be had.
bool composeOutsidePicture(TPaper &paper, TMTC &out);
