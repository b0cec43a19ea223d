#include "indexcheck.h"

#include <QDir>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

// Any bytes as a history file: the history view's index lists exactly the records, texts and
// total that the reader of the whole decoded file gives.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    static const bool entered = dir.isValid() && QDir::setCurrent(dir.path());
    if (!entered
        || !indexListsWhatTheReaderReads(
            QByteArray(reinterpret_cast<const char *>(data), qsizetype(size))))
        std::abort();
    return 0;
}
