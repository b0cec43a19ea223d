#pragma once

#include "iostatus.h"
#include "itemtable.h"

class Clock;
class EventPump;

// State and routines shared by both windows for the whole run.
namespace ZRVM {

extern ItemTable items;
extern qint16 currentItem;

// Reads the item list file into items.
IoStatus LoadItemList();

// Waits the given seconds on the monotonic clock while the window system's events run, so that
// a colour set just before is really painted.
void Pause(float seconds, const Clock &clock, EventPump &events);

} // namespace ZRVM
