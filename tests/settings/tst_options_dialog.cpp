// The options dialog end to end, opened by the main window's command.
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include "app/main_window.h"
#include "settings/options_dialog.h"
#include "ui/message_dialog.h"
#include "widgets/font_combos.h"
#include "window_fixture.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestOptionsDialog : public QObject {
    Q_OBJECT

    test::WindowFixture m_fixture;

    TFormOption* dialog() { return m_fixture.window->optionsDialog(); }
    template <typename T>
    T* find(const char* name) {
        T* found = dialog()->findChild<T*>(QString::fromLatin1(name));
        if (!found)
            qWarning("no control %s", name);
        return found;
    }
    void withDialog(const std::function<void()>& act) {
        m_fixture.withDialog(
            "menuVOption", [&] { return dialog(); }, act);
    }
    QStringList items(QComboBox* combo) {
        QStringList list;
        for (int i = 0; i < combo->count(); ++i)
            list << combo->itemText(i);
        return list;
    }
    void chooseDescendingByTitle() {
        find<QGroupBox>("RadioGroupSortOption")->findChildren<QRadioButton*>().at(1)->click();
        find<QComboBox>("ComboBoxSortField")->setCurrentIndex(0);  // Title
    }
    QString firstTitle() { return m_fixture.store->QueryBook().textAt(0, FieldNo::Title); }

private slots:
    void init() {
        m_fixture.open(
            S("insert into quillo (ID, Title, Writer, Writer2) values"
              " (1, 'あ', '夏目漱石', NULL), (2, 'い', '森鴎外', '共'), (3, 'う', '夏目漱石', "
              "NULL)"));
    }
    void cleanup() { m_fixture.close(); }

    void aRenamedWriter2ShowsEverywhereAndSortsByItsColumn() {
        withDialog([&] {
            find<QLineEdit>("EditFNameWriter2")->setText(S("共著者"));
            dialog()->ButtonOKClick(false);  // Apply
            QVERIFY(dialog()->isVisible());
        });
        withDialog([&] {
            auto* sort1 = find<QComboBox>("ComboBoxSortField");
            QVERIFY(items(sort1).contains(S("共著者")));
            QCOMPARE(items(find<QComboBox>("ComboBoxSecondSortField")).first(), S("なし"));
            QCOMPARE(find<QCheckBox>("CheckBoxVisibleWriter2")->text(), S("共著者(&2)"));
            QCOMPARE(find<QCheckBox>("CheckBoxFilterWriter2")->text(), S("共著者(&2)"));
            sort1->setCurrentIndex(sort1->findText(S("共著者")));
            find<QComboBox>("ComboBoxSecondSortField")->setCurrentIndex(0);
            dialog()->ButtonOKClick(true);
        });
        QCOMPARE(m_fixture.window->settings().SortField1, S("Writer2"));
        QCOMPARE(m_fixture.window->settings().SortField2, QString());
        QCOMPARE(m_fixture.window->findChild<QLabel*>(S("LabelWriter2"))->text(), S("共著者"));
        QCOMPARE(m_fixture.window->recordDialog()->findChild<QLabel*>(S("LabelWriter2"))->text(),
                 S("共著者(&2)"));
        const auto* model = m_fixture.window->grid()->model();
        QStringList titles;
        for (int c = 0; c < model->columnCount(); ++c)
            titles << model->headerData(c, Qt::Horizontal).toString();
        QVERIFY(titles.contains(S("共著者")));
    }

    void applyWithDescendingResortsAndStaysOpen() {
        withDialog([&] {
            chooseDescendingByTitle();
            dialog()->ButtonOKClick(false);
            QVERIFY(dialog()->isVisible());
            QCOMPARE(firstTitle(), S("う"));
        });
        QCOMPARE(m_fixture.window->settings().SortOption, 1);
    }

    // OK with nothing that shapes the list changed leaves the list as it is; a
    // new order, or a filter ended, reads it again.
    void onlyWhatShapesTheListReadsItAgain() {
        const CachedDataset& list = m_fixture.store->QueryBook();
        const int reads = list.reads();
        withDialog([&] { dialog()->ButtonOKClick(true); });
        QCOMPARE(list.reads(), reads);
        withDialog([&] {
            chooseDescendingByTitle();
            dialog()->ButtonOKClick(true);
        });
        QCOMPARE(firstTitle(), S("う"));  // sorted again in memory
        withDialog([&] {
            find<QComboBox>("ComboBoxFilterString")->setEditText(S("夏目"));
            find<QCheckBox>("CheckBoxFilterWriter")->setChecked(true);
            dialog()->ButtonOKClick(true);
        });
        QCOMPARE(m_fixture.store->RecordCount(), 2);
        withDialog([&] {
            dialog()->ButtonCancelFilterClick();
            dialog()->ButtonOKClick(true);
        });
        QCOMPARE(m_fixture.store->RecordCount(), 3);  // the filter ended reads every book
    }

    void theFilterNarrowsUntilItIsCleared() {
        withDialog([&] {
            auto* text = find<QComboBox>("ComboBoxFilterString");
            text->setEditText(S("夏目"));
            find<QCheckBox>("CheckBoxFilterWriter")->setChecked(true);
            QTest::keyClick(text->lineEdit(), Qt::Key_Return);
            QTest::keyClick(text->lineEdit(), Qt::Key_Return);
            QCOMPARE(items(text), QStringList{S("夏目")});
            dialog()->ButtonOKClick(true);
        });
        QCOMPARE(m_fixture.store->RecordCount(), 2);
        QVERIFY(!m_fixture.store->FilterCondition().isEmpty());
        withDialog([&] {
            QCOMPARE(find<QComboBox>("ComboBoxFilterString")->currentText(), S("夏目"));  // kept
            dialog()->ButtonCancelFilterClick();
            QVERIFY(m_fixture.store->FilterCondition().isEmpty());
            QVERIFY(!find<QCheckBox>("CheckBoxFilterWriter")->isChecked());
            dialog()->ButtonOKClick(true);
        });
        QCOMPARE(m_fixture.store->RecordCount(), 3);
    }

    // Ctrl+Tab and Ctrl+Shift+Tab turn the pages wherever the focus is, a
    // drop-down list or a filter box included.
    void controlTabTurnsThePagesFromAnyControl() {
        withDialog([&] {
            auto* pages = dialog()->findChild<QTabWidget*>();
            for (const char* name : {"ComboBoxSortField", "ComboBoxFilterString"}) {
                auto* combo = find<QComboBox>(name);
                pages->setCurrentWidget(combo->parentWidget());
                const int page = pages->currentIndex();
                QWidget* focus =
                    combo->isEditable() ? static_cast<QWidget*>(combo->lineEdit()) : combo;
                focus->setFocus();
                QTest::keyClick(focus, Qt::Key_Tab, Qt::ControlModifier);
                QCOMPARE(pages->currentIndex(), page + 1);
                QWidget* now = QApplication::focusWidget();
                QTest::keyClick(now ? now : pages, Qt::Key_Backtab,
                                Qt::ControlModifier | Qt::ShiftModifier);
                QCOMPARE(pages->currentIndex(), page);
            }
            dialog()->reject();
        });
    }

    void aListWithNoColumnIsRefused() {
        const auto before = m_fixture.window->settings().FieldVisible;
        withDialog([&] {
            for (QCheckBox* box : dialog()->findChildren<QCheckBox*>())
                if (box->objectName().startsWith(S("CheckBoxVisible")))
                    box->setChecked(false);
            setNextMessageAnswer(Answer::Ok);
            dialog()->ButtonOKClick(true);
            QVERIFY(dialog()->isVisible());
            QCOMPARE(
                lastShownMessage()->text,
                S("一覧に表示する項目が選択されていません。\n表示する項目を選択してください。"));
            QCOMPARE(find<QTabWidget>("PageControl")->currentWidget()->objectName(),
                     S("TabSheetDisplayField"));
        });
        QCOMPARE(m_fixture.window->settings().FieldVisible, before);
        QVERIFY(m_fixture.window->grid()->model()->columnCount() > 0);
    }

    void emptyNamesBecomeABlankAndDefaultsComeBack() {
        withDialog([&] {
            find<QLineEdit>("EditFNameWriter3")->clear();
            dialog()->ButtonOKClick(false);
            QCOMPARE(m_fixture.window->settings().FieldLabels[FieldNo::Writer3], S(" "));
            dialog()->ButtonSetDefaultFieldNameClick();
            QCOMPARE(find<QLineEdit>("EditFNameWriter3")->text(), S("著者名３"));
            dialog()->ButtonOKClick(true);
        });
        QCOMPARE(m_fixture.window->settings().FieldLabels[FieldNo::Writer3], S("著者名３"));
    }

    void copyStyleControlsFollowTheChoice() {
        withDialog([&] {
            find<QRadioButton>("RadioButtonSingleLine")->click();
            auto* circle = find<QCheckBox>("CheckBoxTitleCircle");
            if (circle->isChecked())
                circle->click();
            QVERIFY(!find<QComboBox>("ComboBoxTitleChar")->isEnabled());
            QVERIFY(!find<QCheckBox>("CheckBoxAddLabel")->isEnabled());
            circle->click();
            QVERIFY(find<QComboBox>("ComboBoxTitleChar")->isEnabled());
            find<QComboBox>("ComboBoxTitleChar")->setCurrentIndex(2);
            dialog()->ButtonOKClick(true);
        });
        QCOMPARE(m_fixture.window->settings().CopyType, 2);
        QCOMPARE(m_fixture.window->settings().AddStringStart, S("【"));
        QCOMPARE(m_fixture.window->settings().AddStringEnd, S("】"));
    }

    void cancelDiscardsWhatShowingRefills() {
        withDialog([&] {
            find<QCheckBox>("CheckBoxConfirmDelete")->setChecked(false);
            dialog()->reject();
        });
        QVERIFY(m_fixture.window->settings().ConfirmDelete);
        withDialog([&] { QVERIFY(find<QCheckBox>("CheckBoxConfirmDelete")->isChecked()); });
    }

    void cancelledChangesAreNotTakenByALaterOk() {
        withDialog([&] {
            dialog()
                ->findChild<QWidget*>(S("RadioGroupSortOption"))
                ->findChildren<QRadioButton*>()
                .at(1)
                ->setChecked(true);
            find<QCheckBox>("CheckBoxVisibleTitle")->setChecked(false);
            find<QLineEdit>("EditFNameWriter3")->setText(S("取り消した名前"));
            find<QComboBox>("ComboBoxFilterString")->setEditText(S("夏目"));
            find<QCheckBox>("CheckBoxFilterWriter")->setChecked(true);
            dialog()->reject();
        });
        withDialog([&] {
            find<QCheckBox>("CheckBoxConfirmExit")->setChecked(false);  // unrelated
            dialog()->ButtonOKClick(true);
        });
        const AppSettings& s = m_fixture.window->settings();
        QCOMPARE(s.SortOption, 0);
        QVERIFY(s.FieldVisible[FieldNo::Title]);
        QCOMPARE(s.FieldLabels[FieldNo::Writer3], S("著者名３"));
        QVERIFY(s.FilterText.isEmpty());
        QCOMPARE(m_fixture.store->RecordCount(), 3);
        QVERIFY(!s.ConfirmExit);
    }

    void sortKeysFollowTheFieldNotItsLabel() {
        m_fixture.window->settings().FieldLabels[FieldNo::Writer3] = S("書名");
        m_fixture.window->settings().FieldLabels[FieldNo::Writer2] = S("なし");
        withDialog([&] {
            auto* sort1 = find<QComboBox>("ComboBoxSortField");
            auto* sort2 = find<QComboBox>("ComboBoxSecondSortField");
            sort1->setCurrentIndex(sort1->findData(int(FieldNo::Writer3)));
            sort2->setCurrentIndex(sort2->findData(int(FieldNo::Writer2)));
            dialog()->ButtonOKClick(true);
        });
        QCOMPARE(m_fixture.window->settings().SortField1, S("Writer3"));
        QCOMPARE(m_fixture.window->settings().SortField2, S("Writer2"));
        withDialog([&] {
            find<QComboBox>("ComboBoxSecondSortField")->setCurrentIndex(0);  // the real "なし"
            dialog()->ButtonOKClick(true);
        });
        QCOMPARE(m_fixture.window->settings().SortField2, QString());
    }

    // A name holds any character (the settings file is then written in
    // UTF-8), but never a line break, which would make a line of the file.
    void namesHoldAnyCharacterButALineBreak() {
        withDialog([&] {
            auto* name = find<QLineEdit>("EditFNameWriter2");
            name->setText(S("共著者"));
            name->end(false);
            QTest::sendKeyEvent(QTest::Press, name, Qt::Key_unknown, S("😀"), Qt::NoModifier);
            name->insert(S("\r\n[Confirm]\r\nDeleteRecord=0"));  // a pasted line break
            QCOMPARE(name->text(), S("共著者😀"));
            name->insert(S("２"));
            dialog()->ButtonOKClick(true);
        });
        QCOMPARE(m_fixture.window->settings().FieldLabels[FieldNo::Writer2], S("共著者😀２"));
    }

    // The first look-up's question can be answered again here, either way; a
    // choice made is the answer, and an untouched box changes nothing.
    void theLookUpIsTurnedOnAndOffHere() {
        AppSettings& s = m_fixture.window->settings();
        s.LookupEnabled = true;
        s.LookupAsked = false;
        withDialog([&] { dialog()->ButtonOKClick(true); });
        QVERIFY(s.LookupEnabled && !s.LookupAsked);
        withDialog([&] {
            auto* box = find<QCheckBox>("CheckBoxLookup");
            QVERIFY(box->isChecked());
            box->setChecked(false);
            dialog()->ButtonOKClick(true);
        });
        QVERIFY(!s.LookupEnabled && s.LookupAsked);
        withDialog([&] {
            auto* box = find<QCheckBox>("CheckBoxLookup");
            QVERIFY(!box->isChecked());
            box->setChecked(true);
            dialog()->ButtonOKClick(true);
        });
        QVERIFY(s.LookupEnabled && s.LookupAsked);
    }

    void enclosingStringsOfTheUsersOwnSurviveOk() {
        m_fixture.window->settings().AddStringStart = S("〔");
        m_fixture.window->settings().AddStringEnd = S("〕");
        withDialog([&] {
            QCOMPARE(find<QComboBox>("ComboBoxTitleChar")->currentIndex(), -1);
            dialog()->ButtonOKClick(true);
        });
        QCOMPARE(m_fixture.window->settings().AddStringStart, S("〔"));
        QCOMPARE(m_fixture.window->settings().AddStringEnd, S("〕"));
    }

    void fontCombosTakeSizesAndStyles() {
        TFontSizeCombo size;
        size.show();
        size.lineEdit()->clear();
        QTest::keyClicks(size.lineEdit(), S("13"));
        QCOMPARE(size.FontSize(), 13);
        QTest::keyClicks(size.lineEdit(), S("a"));
        QCOMPARE(size.currentText(), S("13"));
        size.setEditText(S("10.5"));
        QCOMPARE(size.FontSize(), 11);
        size.setEditText(QString());
        QCOMPARE(size.FontSize(), 11);  // the last valid size

        TFontStyleCombo style;
        FontSetting font;
        font.bold = true;
        style.SetFontStyles(font);
        QCOMPARE(style.currentIndex(), 1);
        font.underline = true;
        font.italic = true;
        style.SetFontStyles(font);
        QCOMPARE(style.currentIndex(), 1);  // bold and underline leave it as it was

        // A name that is not installed is shown, and kept, all the same.
        TFontNameCombo name;
        name.SetFontName(S("No Such Font 123"));
        QCOMPARE(name.FontName(), S("No Such Font 123"));
        QVERIFY(name.usedFamily() != S("No Such Font 123"));
        const int entries = name.count();
        name.SetFontName(S("No Such Font 123"));
        QCOMPARE(name.count(), entries);  // not added twice
    }
};

QTEST_MAIN(TestOptionsDialog)
#include "tst_options_dialog.moc"
