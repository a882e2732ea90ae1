#include "core/wire/TextStatLookups.h"

#include "core/wire/RecordServices.h"
#include "core/wire/TextStatType.h"

namespace pellar {

int32_t LocalNumberIn(RecordServices& services, int32_t conf, int32_t text)
{
    if (conf < 1 || text == 0)
        return 0;
    const std::shared_ptr<TextStatType> stat = services.FindTextStat(text);
    if (!stat)
        return 0;
    for (const auto& item : stat->MiscInfos()) {
        if (const auto* normal = dynamic_cast<const TMiscInfoNormal*>(item.get()); normal && normal->confNo == conf)
            return normal->localNo;
    }
    return 0;
}

bool FindAuxItem(RecordServices& services, int32_t text, int32_t auxNo, int32_t creator, int32_t tag, int& index)
{
    const std::shared_ptr<TextStatType> stat = services.FindTextStat(text);
    if (!stat)
        return false;
    const std::vector<AuxItemRec> items = stat->AuxItems();
    for (size_t i = 0; i < items.size(); ++i) {
        const AuxItemRec& rec = items[i];
        if ((auxNo == 0 || rec.auxNo == auxNo) && (creator == 0 || rec.creator == creator) &&
            (tag == 0 || rec.tag == tag)) {
            index = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

} // namespace pellar
