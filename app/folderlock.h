#pragma once

class Dialogs;
class QLockFile;

// Takes the lock of the data folder (the current directory) for this run, so that no second
// copy of the program rewrites the item list from its own stale table. A lock left behind by a
// copy that was killed is taken over. When another running copy holds it, tells the user and
// gives false: the caller ends without writing anything.
bool lockDataFolder(QLockFile &lock, Dialogs &dialogs);
