// The reading order: which text to offer next (each comment tree depth first,
// footnotes before comments, then the next unread local number), whether a
// text is still unread for the user, and marking texts and trees read. Used
// by the read-next worker, the subject-tree builder and the reading window.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "core/base/TSortedIntegerList.h"

namespace pellar {

class ReadingServices;
class TCurrentReadStatus;
class TextStatType;
class TMiravoMembership;

// Global text numbers a caller has already handed out.
using ExclusionList = TSortedIntegerList<>;

enum class LinkClass { FootIn, CommIn };

// The next text to read in the status's conference, or -1. The caller makes
// it the current text. Does nothing without a membership.
int32_t GetNextUnread(ReadingServices& services, TCurrentReadStatus& status, TMiravoMembership* membership,
                      const ExclusionList* exclusion);

// The first acceptable child of parent of the given kind, in misc-info order;
// the parent is pushed when one is found. -1 when none.
int32_t CheckForMiscInfoTexts(ReadingServices& services, TCurrentReadStatus& status, int32_t parent,
                              const TextStatType& parentStatus, LinkClass linkClass, const ExclusionList* exclusion);

// The next unread text of the conference by local number, or -1.
int32_t GetNextUnreadRoot(ReadingServices& services, TCurrentReadStatus& status, TMiravoMembership& membership,
                          const ExclusionList* exclusion);

// Unread in at least one conference the user is a member of; every rejection
// goes to the debug log.
bool CheckGlobalText(ReadingServices& services, int32_t text);

// False for a text that is unread only through recipients someone else added
// and read elsewhere (it is marked read then), or not unread at all.
bool IsAddedTextWanted(ReadingServices& services, int32_t text);

// Marks the text read in every member conference, with its footnotes when asked.
void MarkTextRead(ReadingServices& services, int32_t text, bool alsoFootnotes);
// Marks the text and its whole comment and footnote tree read.
void MarkTreeRead(ReadingServices& services, int32_t text);

// Follows the first comment-to or footnote-to link of each text up to the
// root; 0 when the text or one on the way up has no status. In a link cycle
// the walk stops at the last text before it would come back to one seen.
int32_t FindRootText(ReadingServices& services, int32_t text);

// Warms the caches for a text about to be shown: body, names, linked texts.
void PrefetchText(ReadingServices& services, int32_t text);
// How a caller takes part in a long prefetch: whileSlow runs when one of its
// waits lasts longer than slowAfterMs (see ReadingServices::FetchTogether),
// and stop, asked between the waits, ends it early.
struct PrefetchHooks {
    int slowAfterMs = 0;
    std::function<void()> whileSlow;
    std::function<bool()> stop;
};

// The same for many texts with three waits in all, however many there are;
// a text the server has no status for is skipped.
void PrefetchTexts(ReadingServices& services, const std::vector<int32_t>& texts, const PrefetchHooks& hooks = {});

} // namespace pellar
