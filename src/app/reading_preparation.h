#pragma once

class QWidget;

namespace quillo {

class TDM;

// Gives the store the catalogue's readings, first making those its books lack
// (all of them in a catalogue this version never wrote to) under a progress
// dialog. A catalogue that cannot be written, or whose readings cannot be
// made now, opens without them: sorted in JIS order, filtered by text.
// Returns how many books were read (0 when the readings were in step).
int openReadings(TDM& store, QWidget* parent = nullptr);
// True when the catalogue keeps readings already (a quick look at its schema).
bool readingsKept(TDM& store);

}  // namespace quillo
