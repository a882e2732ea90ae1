// What a window asks the writing window to open: the kind of writing and
// its number. The reading window emits it (TReadArticleForm::WriteRequested);
// the shell hands it to the writing window's opener, so no window below the
// shell needs to know the writing window.
#pragma once

#include <cstdint>

namespace pellar {

enum class TextCompositionMode { NewText, Letter, Comment, Footnote, PersonalReply, Presentation, Motd };

// number: the chosen conference or person, or the commented text.
struct WriteRequest {
    TextCompositionMode mode = TextCompositionMode::NewText;
    int32_t number = 0;
};

} // namespace pellar
