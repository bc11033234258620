// A whole CSV file, read and imported into a real catalogue, then dropped again.
#include "csv/csv_exchange.h"
#include "engine/catalogue_file.h"
#include "engine/connection.h"
#include "fuzz_support.h"
#include "platform/text_lines.h"
#include "store/book_table.h"
#include "store/headless_host.h"
#include "store/tdm.h"

using namespace quillo;

namespace {

struct Catalogue {
    HeadlessStoreHost host;
    std::unique_ptr<TDM> store;
    QString file = fuzz::scratchFolder() + QStringLiteral("/in.csv");
    Catalogue() {
        Connection::setAliasPath(QStringLiteral("book"),
                                 fuzz::scratchFolder() + QStringLiteral("/book.db"));
        CreateCatalogueIfMissing(fuzz::scratchFolder() + QStringLiteral("/book.db"));
        store = TDM::OpenStore(&host);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Catalogue catalogue;
    QFile out(catalogue.file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    out.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    out.close();
    for (int separator = 0; separator < 3; ++separator) {
        CsvSettings settings{catalogue.file};
        settings.separator = separator;
        settings.encoding = static_cast<CsvEncoding>(size % 3);
        const CsvResult result = ImportCsv(*catalogue.store, &settings);
        if (!result.ok() && result.kind != CsvResult::Kind::LineRefused &&
            result.kind != CsvResult::Kind::Unreadable)
            fuzz::broken("an import failed for a reason that is no line");
        catalogue.store->CancelPendingUpdates();
        if (catalogue.store->QueryBook().updatesPending())
            fuzz::broken("cancel left pending rows");
    }
    return 0;
}
