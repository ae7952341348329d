// Feeds arbitrary bytes to the order-file reader. Whatever it accepts must
// survive a write and a second read unchanged.
#include "Services/OrderStore.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<QStringList> keys = Trayvane::OrderStore::decode(bytes);
    if (!keys)
        return 0;
    const QByteArray written = Trayvane::OrderStore::encode(*keys);
    const std::optional<QStringList> again = Trayvane::OrderStore::decode(written);
    // Lone surrogates cannot be written as UTF-8; they come back replaced, so
    // only compare lists that are valid Unicode.
    bool valid = true;
    for (const QString &key : *keys)
        valid = valid && key.isValidUtf16();
    if (!again || (valid && *again != *keys))
        std::abort();
    return 0;
}
