// Feeds arbitrary bytes to the order-file reader. Whatever it accepts must
// survive a write and a second read unchanged.
#include "FuzzInput.h"
#include "Services/OrderStore.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<QStringList> keys = Trayvane::OrderStore::decode(bytes);
    if (!keys)
        return 0;
    const std::optional<QStringList> again = Trayvane::OrderStore::decode(Trayvane::OrderStore::encode(*keys));
    // Lone surrogates cannot be written as UTF-8; they come back replaced, so
    // only compare lists that are valid Unicode.
    const bool valid = std::all_of(keys->begin(), keys->end(), [](const QString &key) { return key.isValidUtf16(); });
    check(again && (!valid || *again == *keys));
    return 0;
}
