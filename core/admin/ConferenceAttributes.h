// The conference-attributes window's loading and saving: the check boxes from
// the conference's type flags, its super-conference and supervisor, and the
// three requests that store them. Messages are for a plain message box.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/admin/ConferenceTypeFlags.h"

namespace pellar {

class WritingServices;

struct ConferenceAttributesView {
    std::string name;
    ConferenceTypeChecks checks;
    int32_t superConf = 0;
    int32_t supervisor = 0;
};

class ConferenceAttributes {
public:
    ConferenceAttributes(WritingServices& services, int32_t conf);

    // On show and after Apply. On failure, error holds the message to show
    // and the window keeps what it had.
    std::optional<ConferenceAttributesView> Load(std::string& error);
    // Sends the type, super-conference and supervisor, each whether or not it
    // changed (-1 for an entry that resolves to nothing); a failure does not
    // stop the next. Returns the messages to show, in order.
    std::vector<std::string> Save(const ConferenceTypeChecks& checks, std::optional<int32_t> superConf,
                                  std::optional<int32_t> supervisor);

private:
    WritingServices& services_;
    int32_t conf_;
};

} // namespace pellar
