// The writing buttons' pictures, drawn here so that each says what it does
// (a page for a new text, an envelope for a letter, speech bubbles for
// replies, a star for a footnote) whatever icon theme the desktop has.
#pragma once

#include <QIcon>

namespace pellar {

enum class WritingIcon { NewText, Letter, Comment, PrivateReply, Footnote };

QIcon MakeWritingIcon(WritingIcon which);

} // namespace pellar
