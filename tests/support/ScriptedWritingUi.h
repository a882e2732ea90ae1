// A WritingUi for the composition tests: questions answered in advance
// (missing answers are Yes) and what the window was told, recorded.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "core/writing/TextComposition.h"

namespace pellar::test {

class ScriptedWritingUi : public WritingUi {
public:
    std::deque<bool> answers;
    std::vector<std::string> questions;
    std::string subject, body;
    bool focused = false, closed = false, trashPosted = false;
    std::vector<bool> enabled;
    std::vector<int32_t> notes;

    bool AskYesNo(const std::string& q) override
    {
        questions.push_back(q);
        if (answers.empty())
            return true;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    void RowsChanged() override {}
    void SubjectChanged(const std::string& s) override { subject = s; }
    void BodyChanged(const std::string& b) override { body = b; }
    void FocusBody() override { focused = true; }
    void SetActionsEnabled(bool on) override { enabled.push_back(on); }
    void ShowNoteOnDoor(int32_t text) override { notes.push_back(text); }
    void PostTrashQuestion() override { trashPosted = true; }
    void Close() override { closed = true; }
};

} // namespace pellar::test
