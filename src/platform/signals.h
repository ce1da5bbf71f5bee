// Signals a protocol partner may send.
#pragma once

namespace tarn {

// From now on the interrupt signal (Ctrl-C, or a GUI's way of saying "stop
// thinking") no longer ends the process.
void ignoreInterruptSignal();

}  // namespace tarn
