#include "backends/system/com_users.h"

#include "platform/com/com_api.h"

namespace spellchecker {

std::atomic<int32_t> ComUsers::users{0};
std::atomic<bool> ComUsers::init_failed{false};

bool ComUsers::Join() {
  if (++users != 1) return true;
  init_failed = FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  return !init_failed;
}

void ComUsers::Leave() {
  if (--users == 0 && !init_failed) {
    CoUninitialize();
  }
}

}  // namespace spellchecker
