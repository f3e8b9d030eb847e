// The seam's reads of the launcher's own files, for every platform but
// Windows itself: the imitation of Windows reads every file with the
// project's reader already, so they are the reads of any other file.
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
