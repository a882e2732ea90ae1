// What the records need from above them: loading conference status and text
// maps through requests, cache look-ups and the mark-read queue. The session
// layer implements it; records never include session code. Every call may wait
// for the server, so none is made while a record's own lock is held, and none
// may be triggered from the receive thread.
#pragma once

#include <cstdint>
#include <memory>

#include "core/base/TSortedIntegerList.h"

namespace pellar {

class TMiravoConferenceBase;
class TMiravoConference;
class TextStatType;

class RecordServices
{
public:
    virtual ~RecordServices() = default;
    // Run the full (resp. short) conference-status request into the record and wait.
    virtual void LoadFullConfStatus(TMiravoConferenceBase& conf) = 0;
    virtual void LoadShortConfStatus(TMiravoConferenceBase& conf) = 0;
    // Run the text-map request for count local numbers from firstLocal; local -> global.
    // False when the server did not answer (a cancelled wait, a lost link):
    // a number missing from into then says nothing about the text.
    virtual bool LoadTextMap(int32_t conf, int32_t firstLocal, int32_t count, TSortedIntegerList<int32_t>& into) = 0;
    // Null when the conference (resp. text status) cannot be had.
    virtual std::shared_ptr<TMiravoConference> FindConference(int32_t conf) = 0;
    virtual std::shared_ptr<TextStatType> FindTextStat(int32_t text) = 0;
    // A local text was marked read with notification: the server must hear of it.
    virtual void NoteMarkedRead(int32_t conf, int32_t local) = 0;
};

} // namespace pellar
