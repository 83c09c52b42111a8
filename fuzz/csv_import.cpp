// Feeds any bytes to the CSV import, as keyholder-cli import would, and checks
// that every entry it accepts survives our own export and a second import.
#include "vault/VaultCsv.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const Result<VaultCsv::Import> import = VaultCsv::importCsv(QByteArrayView(data, qsizetype(size)));
    if (!import)
        return 0;
    const Result<VaultCsv::Import> again = VaultCsv::importCsv(VaultCsv::exportCsv(import->rows));
    if (!again || again->rows != import->rows || !again->rejected.empty() || again->duplicates != 0)
        std::abort();
    return 0;
}
