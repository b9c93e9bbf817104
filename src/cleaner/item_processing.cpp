// The seek-and-clear engine behind PrivacyItem::GetPrivacyValue. Until the engine arrives an
// item's seek finds nothing.
#include "cleaner/privacy_item.h"

namespace lumo {

void ParseItem(PrivacyItem&, SeekContext&, bool) {}

}  // namespace lumo
