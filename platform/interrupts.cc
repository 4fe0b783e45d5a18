#include "platform/interrupts.h"

#include <condition_variable>
#include <mutex>

namespace {

std::mutex gate;
std::condition_variable replacesEnded;
int replacesUnderway = 0;
bool shut = false;

}  // namespace

bool beginReplace() {
  std::lock_guard<std::mutex> lock(gate);
  if (shut) return false;
  ++replacesUnderway;
  return true;
}

void endReplace() {
  std::lock_guard<std::mutex> lock(gate);
  --replacesUnderway;
  replacesEnded.notify_all();
}

void shutReplaces() {
  std::unique_lock<std::mutex> lock(gate);
  shut = true;
  replacesEnded.wait(lock, [] { return replacesUnderway == 0; });
}
