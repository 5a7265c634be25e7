// The client's list file (the bookmarks): whatever it reads, written again, reads back the same
// entries.
#include "platform/station_list_file.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace tessivar;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
  const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
  QString error;
  const auto entries = decodeListFile(bytes, &error);
  if (!entries) {
    if (error.isEmpty()) {
      std::fprintf(stderr, "refused without a reason\n");
      std::abort();
    }
    return 0;
  }
  const QByteArray written = encodeListFile(*entries);
  const auto again = decodeListFile(written, &error);
  if (!again || *again != *entries) {
    std::fprintf(stderr, "written again, the list reads otherwise (%s):\n%s\n", qPrintable(error),
                 written.constData());
    std::abort();
  }
  return 0;
}
