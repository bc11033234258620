// The list model follows the live query through appends, deletes and re-queries.
#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

#include "app/book_list_model.h"
#include "recording_host.h"
#include "store/tdm.h"
#include "test_db.h"

using namespace quillo;

class TestBookListModel : public QObject {
    Q_OBJECT
private slots:
    void followsTheLiveQuery() {
        test::TempBookDb db;
        test::exec(QStringLiteral(
            "insert into quillo (ID, Title, Writer, PubDate) values"
            " (1, '雪国', '川端康成', '1937-06-12'), (2, '山の音', '川端康成', NULL)"));
        test::RecordingHost host;
        auto store = TDM::OpenStore(&host);
        store->QueryAll();
        host.maxId = store->GetMaxId();
        BookListModel model(store->QueryBook());
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setColumns({FieldNo::Title, FieldNo::PubDate},
                         {QStringLiteral("書名"), QStringLiteral("初版発行日")});

        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.columnCount(), 2);
        QCOMPARE(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("初版発行日"));
        QCOMPARE(model.index(1, 0).data().toString(), QStringLiteral("雪国"));
        QCOMPARE(model.index(1, 1).data().toString(), QStringLiteral("1937/06/12"));
        QCOMPARE(model.fieldOfColumn(1), int(FieldNo::PubDate));

        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        store->AppendRecord();
        QCOMPARE(model.rowCount(), 3);
        store->QueryBook().setText(FieldNo::Title, QStringLiteral("千羽鶴"));
        QCOMPARE(model.index(2, 0).data().toString(),
                 QStringLiteral("千羽鶴"));  // the edit buffer shows
        QVERIFY(!changed.isEmpty());
        store->QueryBook().post();
        store->QueryBook().first();
        store->DeleteCurrent(false);
        QCOMPARE(model.rowCount(), 2);
        store->ApplyPendingUpdates();
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("千羽鶴"));
    }
};

QTEST_GUILESS_MAIN(TestBookListModel)
#include "tst_book_list_model.moc"
