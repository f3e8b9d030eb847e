// The seam's reads of the launcher's own files, shared by every platform but
// Windows itself (Linux, the tests' scripted one, the checker's recorder):
// their profile reads already use the project's reader, so the launcher's
// own files are read like any other.
#include "platform/seam.h"

namespace platform {

unsigned ReadOwnString(const char* section, const char* key,
                       const char* fallback, char* buffer, unsigned size,
                       const char* file, bool* cut) {
  return GetPrivateProfileStringA(section, key, fallback, buffer, size, file,
                                  cut);
}

int ReadOwnInt(const char* section, const char* key, int fallback,
               const char* file) {
  return GetPrivateProfileIntA(section, key, fallback, file);
}

}  // namespace platform
