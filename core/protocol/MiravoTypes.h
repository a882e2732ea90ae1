// The protocol records and their parsers, in one include for their users.
#pragma once

#include "core/protocol/AuxItemRec.h"
#include "core/protocol/RecordParsers.h"
#include "core/protocol/RecordServices.h"
#include "core/protocol/TMiravoConference.h"
#include "core/protocol/TMiravoConferenceBase.h"
#include "core/protocol/TMiravoMembership.h"
#include "core/protocol/TMiravoText.h"
#include "core/protocol/TMiscInfo.h"
#include "core/protocol/TextStatLookups.h"
#include "core/protocol/TextStatType.h"
