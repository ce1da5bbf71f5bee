// Message boxes and beeps for a person at the screen.
//
// Only the window program shows them: it installs its hooks at start-up. In the
// protocol modes no hook is installed and the calls do nothing, since a modal
// box would hang an engine that a GUI runs; texts a protocol partner must see
// go out separately as "info string" lines.
#pragma once

namespace tarn {

using MessageHook = void (*)(const char* title, const char* text);
using BeepHook = void (*)();

// Installs (or, with nullptr, removes) the hooks; safe to call from any thread.
void installMessageHooks(MessageHook message, BeepHook beeper);

// Shows a message box through the installed hook; does nothing without one.
void showMessage(const char* title, const char* text);

// Sounds the system beep through the installed hook; does nothing without one.
void beep();

}  // namespace tarn
