// Caption controls (check boxes, radio buttons, push buttons, one-line labels) wide enough for
// their text in the font in use. The forms place every control in a fixed rectangle measured
// for the original interface font; the fonts found here are often wider, so a control keeps its
// rectangle's width only where its text fits in it.
#pragma once

class QWidget;

// Widens a caption control that is narrower than its text needs (its size hint) to that width,
// never narrowing it; a label aligned right keeps its right edge, every other control its left
// edge (an owner-drawn control is placed through SetBounds, as a tab strip sized to its tabs).
// Answers the control's width.
int fitCaptionWidth(QWidget *control);

// fitCaptionWidth on every caption control inside form (labels that wrap their words excepted).
void fitCaptions(QWidget *form);
