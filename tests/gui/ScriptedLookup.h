// A name look-up with canned answers for the GUI tests, recording what it
// was asked and what the asking control showed meanwhile.
#pragma once

#include "core/session/NameLookup.h"
#include "support/gui/GuiTestSupport.h"

#include <QImage>
#include <QLineEdit>
#include <QString>
#include <QWidget>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace pellar::test {

class ScriptedLookup : public NameLookup {
public:
    struct Call {
        std::string prefix;
        bool persons;
        bool conferences;
        QString shownMeanwhile;
    };

    std::map<std::string, std::vector<NameMatch>> answers; // by prefix
    std::map<int32_t, std::string> names;
    std::vector<Call> calls;
    std::vector<int32_t> nameQueries;
    QLineEdit* watched = nullptr; // its text is recorded during each look-up

    std::map<std::string, std::string> failures; // by prefix: the error the look-up reports

    NameLookupResult Lookup(const std::string& prefix, bool persons, bool conferences) override
    {
        calls.push_back({prefix, persons, conferences, watched ? watched->text() : QString()});
        NameLookupResult result;
        if (const auto failure = failures.find(prefix); failure != failures.end()) {
            result.failed = true;
            result.error = failure->second;
            return result;
        }
        if (const auto it = answers.find(prefix); it != answers.end())
            result.matches = it->second;
        return result;
    }

    std::optional<std::string> NameOf(int32_t number) override
    {
        nameQueries.push_back(number);
        const auto it = names.find(number);
        if (it == names.end())
            return std::nullopt;
        return it->second;
    }

    // One name that completes from a prefix and resolves by number.
    void Add(const std::string& prefix, const std::string& name, int32_t number, const char* type = "person")
    {
        answers[prefix].push_back({name, type, number});
        names[number] = name;
    }
};

} // namespace pellar::test
