// The protocol records and their parsers, in one include for their users.
#pragma once

#include "core/wire/AuxItemRec.h"
#include "core/wire/RecordParsers.h"
#include "core/wire/RecordServices.h"
#include "core/wire/TMiravoConference.h"
#include "core/wire/TMiravoConferenceBase.h"
#include "core/wire/TMiravoMembership.h"
#include "core/wire/TMiravoText.h"
#include "core/wire/TMiscInfo.h"
#include "core/wire/TextStatLookups.h"
#include "core/wire/TextStatType.h"
