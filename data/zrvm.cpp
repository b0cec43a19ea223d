#include "zrvm.h"

#include "clock.h"
#include "eventpump.h"
#include "itemlist.h"

#include <cmath>

namespace ZRVM {

ItemTable items;
qint16 currentItem = 0;

IoStatus LoadItemList()
{
    return ItemList::load(items);
}

void Pause(float seconds, const Clock &clock, EventPump &events)
{
    // The monotonic clock does not restart at midnight, so the end is always reached.
    const qint64 end = clock.monotonicMs() + std::llround(double(seconds) * 1000.0);
    for (;;) {
        const qint64 now = clock.monotonicMs();
        if (now >= end)
            return;
        events.dispatchFor(int(end - now));
    }
}

} // namespace ZRVM
