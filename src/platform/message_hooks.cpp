#include "platform/message_hooks.h"

#include <atomic>

namespace tarn {

namespace {

std::atomic<MessageHook> messageHook{nullptr};
std::atomic<BeepHook> beepHook{nullptr};

}  // namespace

void installMessageHooks(MessageHook message, BeepHook beeper) {
  messageHook.store(message);
  beepHook.store(beeper);
}

void showMessage(const char* title, const char* text) {
  if (MessageHook hook = messageHook.load()) hook(title ? title : "", text ? text : "");
}

void beep() {
  if (BeepHook hook = beepHook.load()) hook();
}

}  // namespace tarn
