#pragma once
// Labels whose caption can be any length, such as the recent-searches rows,
// which copy whatever the user typed or pasted.

class QLabel;

// Characters of a caption that are laid out for painting; a label is never
// wide enough to show more, and laying out a caption of millions of
// characters would take seconds on every repaint.
inline constexpr int kPaintedCaptionCharacters = 512;

// Makes `label` show its caption as plain text, never as markup, on one line
// cut to the label's width with an ellipsis when it does not fit. Only the
// painting changes: the label's text() stays the whole caption.
void showCaptionElided(QLabel *label);
