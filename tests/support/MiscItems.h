// Builders for the items of a text status (recipients and links) as the
// record, reading and writing tests put texts together.
#pragma once

#include <cstdint>
#include <memory>

#include "core/wire/TMiscInfo.h"

namespace pellar::test {

// A recipient or carbon copy: the conference, the text's local number there,
// and who added it when (0: the author, with the text).
inline std::shared_ptr<TMiscInfoNormal> Recipient(int32_t conf, int32_t local, bool cc = false, int32_t sentBy = 0,
                                                  TDateTime sentAt = 0)
{
    std::shared_ptr<TMiscInfoNormal> item;
    if (cc)
        item = std::make_shared<TMiscInfoCC>();
    else
        item = std::make_shared<TMiscInfoRcpt>();
    item->confNo = conf;
    item->localNo = local;
    item->sentBy = sentBy;
    item->sentAt = sentAt;
    return item;
}

// A link of the kind Item (comment or footnote, either way) to text.
template <typename Item>
std::shared_ptr<Item> Link(int32_t text)
{
    auto item = std::make_shared<Item>();
    item->textNo = text;
    return item;
}

} // namespace pellar::test
