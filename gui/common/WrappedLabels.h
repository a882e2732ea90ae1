// Word-wrapped labels that keep the height their text needs. A form layout
// in a tab page does not ask a wrapped label for its height at the width it
// gets, so a text of two or three lines is cut to one.
#pragma once

class QWidget;

namespace pellar {

// Watches every word-wrapped label under root: whenever one is resized its
// minimum height becomes what its text needs at its width.
void KeepWrappedLabelsWhole(QWidget* root);

// The same at once, for labels whose text just changed.
void FitWrappedLabels(QWidget* root);

} // namespace pellar
