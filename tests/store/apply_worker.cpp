// Appends many books to the live query and applies them, announcing the start of
// the apply on standard output, so that a test can kill it while it writes.
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

#include "recording_host.h"
#include "store/tdm.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    quillo::Connection::setAliasPath(QStringLiteral("book"), QString::fromLocal8Bit(argv[1]));
    const int count = std::atoi(argv[2]);
    quillo::test::RecordingHost host;
    auto store = quillo::TDM::OpenStore(&host);
    store->QueryAll();
    host.maxId = store->GetMaxId();
    quillo::CachedDataset& q = store->QueryBook();
    for (int i = 0; i < count; ++i) {
        store->AppendRecord();
        q.setText(1, QStringLiteral("本 %1").arg(i));
        q.post();
    }
    std::puts("applying");
    std::fflush(stdout);
    store->ApplyPendingUpdates();
    std::puts("done");
    std::fflush(stdout);
    std::_Exit(0);  // leave the IDs as they are for the test to count
}
