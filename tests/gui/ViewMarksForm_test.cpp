// The marks window against the reference server: listing, preview, sorting,
// changing a type (a non-number becomes 100) and deleting.
#include "support/gui/LiveSession.h"

#include "core/writing/ClientWritingServices.h"
#include "core/reading/ClientReadingServices.h"
#include "gui/dialogs/ViewMarksForm.h"
#include "gui/common/QtGuiThread.h"
#include "gui/common/MiravoTextEdit.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

using namespace pellar;

namespace {

QStringList Column(QTreeWidget* list, int column)
{
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out << list->topLevelItem(i)->text(column);
    return out;
}

QTreeWidgetItem* Row(QTreeWidget* list, int text)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->text(0).toInt() == text)
            return list->topLevelItem(i);
    return nullptr;
}

} // namespace

class ViewMarksFormTest : public QObject {
    Q_OBJECT

private slots:
    void listsChangesTypeAndDeletes()
    {
        pellar::test::LiveSession session;
        std::string error;
        QVERIFY2(session.Start(&error), error.c_str());
        ClientWritingServices requests(session.ClientContext());
        // Three marks of our own, besides any the demo has.
        for (auto [text, type] : {std::pair{3, 20}, std::pair{4, 7}, std::pair{5, 200}})
            QVERIFY(requests.Request("Mark", pellar::requests::MarkText(text, type)).ok);

        auto* form = new TViewMarksForm(std::make_unique<ClientReadingServices>(session.ClientContext()));
        QPointer<TViewMarksForm> watch(form);
        form->show();
        QTRY_VERIFY_WITH_TIMEOUT(!form->Loading(), 10000);
        QTreeWidget* list = form->ListView1();
        QVERIFY(form->WorkingLabel()->text().isEmpty());
        QVERIFY(Row(list, 3) && Row(list, 4) && Row(list, 5));
        QCOMPARE(Row(list, 4)->text(1), QStringLiteral("7"));
        QVERIFY(!Row(list, 4)->text(2).isEmpty());
        pellar::test::SaveScreenshot(form, QStringLiteral("ViewMarksForm"));

        // Mark type, then again for the highest first.
        form->SortBy(1);
        form->SortBy(1);
        const QStringList types = Column(list, 1);
        for (int i = 1; i < types.size(); ++i)
            QVERIFY(types[i - 1].toInt() >= types[i].toInt());
        QCOMPARE(types.front(), QStringLiteral("200"));

        list->setCurrentItem(Row(list, 4));
        QTRY_VERIFY(!form->RichEdit1()->toPlainText().isEmpty());

        form->SetTypeAsker([] { return std::optional<QString>(QStringLiteral("many")); });
        form->ChangeTypeOfSelected();
        QTRY_VERIFY_WITH_TIMEOUT(!form->Loading() && Row(list, 4), 10000);
        QCOMPARE(Row(list, 4)->text(1), QStringLiteral("100"));

        QSignalSpy read(form, &TViewMarksForm::ReadTextRequested);
        list->setCurrentItem(Row(list, 5));
        form->ViewSelected();
        QCOMPARE(read.count(), 1);
        QCOMPARE(read.at(0).at(0).value<int32_t>(), 5);

        const int before = list->topLevelItemCount();
        form->DeleteSelected();
        QCOMPARE(list->topLevelItemCount(), before - 1);
        QVERIFY(!Row(list, 5));
        // Asked at once, the list waits for the delete on its way.
        form->Refresh();  // the server forgot it too
        QTRY_VERIFY_WITH_TIMEOUT(!form->Loading(), 10000);
        QCOMPARE(list->topLevelItemCount(), before - 1);
        QVERIFY(!Row(list, 5));

        form->close();
        QTRY_VERIFY(watch.isNull());

        // Closed at once: the loader that waits for this thread is released.
        auto* quick = new TViewMarksForm(std::make_unique<ClientReadingServices>(session.ClientContext()));
        QPointer<TViewMarksForm> quickWatch(quick);
        quick->show();
        QVERIFY(quick->Loading());
        quick->close();
        QTRY_VERIFY(quickWatch.isNull());
        session.Stop();
    }
};

QTEST_MAIN(ViewMarksFormTest)
#include "ViewMarksForm_test.moc"
