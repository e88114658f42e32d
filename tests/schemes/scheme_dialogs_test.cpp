// The scheme editor, the scheme-name dialog and the scheme commands, headless, on a memory
// store; every message and question is answered by the queued prompter.
#include "schemes/scheme_commands.h"
#include "schemes/scheme_editor_dialog.h"
#include "schemes/scheme_name_dialog.h"
#include "store/builtin_schemes.h"
#include "store/memory_settings_store.h"
#include "store/scheme_catalogue.h"
#include "store/settings_keys.h"
#include "tests/support/queued_prompter.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <cerrno>
#include <memory>

using namespace vorlex;
using namespace vorlex::store;
using namespace vorlex::schemes;
using testing::Answer;
using testing::QuestionIcon;

namespace {

// Selects item @p index of a filter box as the user does, so that the change handler runs.
void choose(QComboBox* box, int index) {
    box->setCurrentIndex(index);
    emit box->activated(index);
}

int itemOf(QComboBox* box, const char* text) {
    return box->findText(QString::fromUtf8(text));
}

QString labelText(QWidget* dialog, const char* name) {
    auto* label = dialog->findChild<QLabel*>(QString::fromLatin1(name));
    return label != nullptr ? label->text() : QStringLiteral("<missing>");
}

} // namespace

class SchemeDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        store = std::make_unique<MemorySettingsStore>();
        writeBuiltInSchemes(*store);
        writeSetting(*store, kFlag, 1);
        list.assign(refreshCatalogue(*store).schemes);
        prompter.clear();
    }
    void cleanup() {
        QVERIFY2(prompter.problems().isEmpty(), qPrintable(prompter.problems().join('\n')));
    }

    void editorCreatesASchemeFromTheFirstBoxesUpToAGap() {
        SchemeEditorDialog dialog(EditorMode::create, selection(), *store, prompter);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Create new scheme"));
        QCOMPARE(dialog.filterBox(0)->count(), 17);
        QCOMPARE(dialog.filterBox(0)->itemText(0), QStringLiteral("No"));
        QCOMPARE(dialog.filterBox(3)->itemText(16), QStringLiteral("Latinica->Win"));
        QCOMPARE(labelText(&dialog, "nameLabel"), QStringLiteral("Scheme name :"));
        QVERIFY(!dialog.okButton()->isEnabled());

        dialog.nameEdit()->setText(QStringLiteral("ab"));
        choose(dialog.filterBox(0), itemOf(dialog.filterBox(0), "Alt->Koi"));
        QVERIFY(!dialog.okButton()->isEnabled()); // two characters
        dialog.nameEdit()->setText(QStringLiteral("abc"));
        QVERIFY(dialog.okButton()->isEnabled());
        choose(dialog.filterBox(0), 0);
        QVERIFY(!dialog.okButton()->isEnabled()); // no first filter
        choose(dialog.filterBox(0), itemOf(dialog.filterBox(0), "Alt->Koi"));
        choose(dialog.filterBox(1), itemOf(dialog.filterBox(1), "Koi->Win"));
        choose(dialog.filterBox(3), itemOf(dialog.filterBox(3), "Iso->Alt"));
        dialog.okButton()->click();

        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.storedNumber(), 23);
        QCOMPARE(readScheme(*store, 23), (StoredScheme{23, "abc", "ak kw"}));
        QCOMPARE(readSetting(*store, kTotalSchemes), 24);
    }

    void editorNameIsLimitedTo25Characters() {
        SchemeEditorDialog dialog(EditorMode::create, selection(), *store, prompter);
        dialog.nameEdit()->setText(QString(40, QLatin1Char('x')));
        QCOMPARE(dialog.nameEdit()->text().size(), 25);
    }

    void editorInRussianShowsTheSchemeAndWaitsForAChange() {
        writeSetting(*store, kLanguage, 0);
        list.selectNumber(12);
        SchemeEditorDialog dialog(EditorMode::edit, selection(), *store, prompter);
        QCOMPARE(dialog.windowTitle(),
                 QString::fromUtf8("Редактирование схемы \"Двойная Win->Koi\""));
        QCOMPARE(dialog.nameEdit()->text(), QString::fromUtf8("Двойная Win->Koi"));
        QCOMPARE(dialog.filterBox(0)->currentText(), QStringLiteral("Win->Koi"));
        QCOMPARE(dialog.filterBox(1)->currentText(), QStringLiteral("Win->Koi"));
        QCOMPARE(dialog.filterBox(2)->currentIndex(), 0);
        QCOMPARE(dialog.filterBox(2)->itemText(0), QString::fromUtf8("нет"));
        QCOMPARE(labelText(&dialog, "filterLabel1"), QString::fromUtf8("Фильтр 1 :"));
        QCOMPARE(dialog.cancelButton()->text(), QString::fromUtf8("Отмена"));
        QCOMPARE(dialog.okButton()->text(), QStringLiteral("OK"));

        QVERIFY(!dialog.okButton()->isEnabled());
        dialog.accept(); // Enter before any change stores nothing
        QCOMPARE(dialog.result(), 0);

        choose(dialog.filterBox(1), itemOf(dialog.filterBox(1), "Win->Alt"));
        QVERIFY(dialog.okButton()->isEnabled());
        dialog.okButton()->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(readScheme(*store, 12), (StoredScheme{12, "Двойная Win->Koi", "wk wa"}));
    }

    void editorOnASchemeWithoutActionStartsEmpty() {
        std::vector<StoredScheme> schemes = list.schemes();
        schemes.push_back({40, "Ghost", {}});
        list.assign(schemes);
        list.select(list.size() - 1);
        store->writeString("40", kSchemeNameValue, "Ghost");
        prompter.expectMessage(QStringLiteral(
            "Error reading config file\nThe scheme \"Ghost\" has no stored action."));
        SchemeEditorDialog dialog(EditorMode::edit, selection(), *store, prompter);
        QCOMPARE(dialog.nameEdit()->text(), QStringLiteral("Ghost"));
        for (int i = 0; i < kSchemeFilterBoxes; ++i)
            QCOMPARE(dialog.filterBox(i)->currentIndex(), 0);
        QVERIFY(!dialog.okButton()->isEnabled());
        QCOMPARE(prompter.lastCaption(), QCoreApplication::applicationName());
    }

    void editorClashKeepsTheDialogOpen() {
        SchemeEditorDialog dialog(EditorMode::create, selection(), *store, prompter);
        dialog.nameEdit()->setText(QStringLiteral("Koi->Win"));
        choose(dialog.filterBox(0), itemOf(dialog.filterBox(0), "Koi->Win"));
        prompter.expectMessage(
            QStringLiteral("Scheme with this name and variant of recoding already exists"));
        dialog.okButton()->click();
        QCOMPARE(dialog.result(), 0);
        QCOMPARE(dialog.storedNumber(), -1);
        QCOMPARE(readSetting(*store, kTotalSchemes), 23);

        dialog.nameEdit()->setText(QStringLiteral("koi->win"));
        prompter.expectMessage(
            QStringLiteral("Scheme with this variant of recoding already exists"));
        dialog.okButton()->click();
        choose(dialog.filterBox(1), itemOf(dialog.filterBox(1), "Win->Mac"));
        dialog.okButton()->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(readScheme(*store, 23), (StoredScheme{23, "koi->win", "kw wm"}));
    }

    void textsFitTheirControlsInBothLanguages() {
        for (int language : {0, 1}) {
            writeSetting(*store, kLanguage, language);
            const std::array<int, 5> chain{8, -1, -1, -1, -1};
            SchemeEditorDialog editor(EditorMode::create, selection(), *store, prompter);
            SchemeNameDialog name(QStringLiteral("kw "), chain, *store, prompter);
            for (QWidget* dialog : {static_cast<QWidget*>(&editor), static_cast<QWidget*>(&name)}) {
                for (QWidget* control :
                     dialog->findChildren<QWidget*>(QString(), Qt::FindChildrenRecursively)) {
                    if (qobject_cast<QLabel*>(control) == nullptr &&
                        qobject_cast<QPushButton*>(control) == nullptr)
                        continue;
                    const QString text = control->property("text").toString();
                    const int needed = control->fontMetrics().horizontalAdvance(text) +
                                       (qobject_cast<QPushButton*>(control) != nullptr ? 8 : 0);
                    QVERIFY2(needed <= control->width(),
                             qPrintable(QStringLiteral("%1: %2 needs %3, has %4")
                                            .arg(control->objectName(), text)
                                            .arg(needed)
                                            .arg(control->width())));
                }
            }
        }
    }

    void editCommandOnAutoDoesNothing() {
        list.select(0);
        QVERIFY(!runSchemeEditor(EditorMode::edit, list, *store, prompter, nullptr));
    }

    void editorRunsModallyAndCancelChangesNothing() {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<SchemeEditorDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            seen = true;
            dialog->nameEdit()->setText(QStringLiteral("Changed"));
            dialog->cancelButton()->click();
        });
        list.selectNumber(3);
        QVERIFY(!runSchemeEditor(EditorMode::edit, list, *store, prompter, nullptr));
        QVERIFY(seen);
        QCOMPARE(readScheme(*store, 3), (StoredScheme{3, "Iso->Alt", "ia"}));
    }

    void nameDialogSavesTheChain() {
        const std::array<int, 5> doubled{11, 11, -1, -1, -1};
        SchemeNameDialog dialog(QStringLiteral("wk wk "), doubled, *store, prompter);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Save wk wk  as scheme"));
        QCOMPARE(labelText(&dialog, "enterNameLabel"), QStringLiteral("Enter scheme name"));
        QCOMPARE(dialog.saveButton()->text(), QStringLiteral("Save"));
        QVERIFY(!dialog.saveButton()->isEnabled());
        dialog.nameEdit()->setText(QStringLiteral("ab"));
        QVERIFY(!dialog.saveButton()->isEnabled());
        dialog.nameEdit()->setText(QStringLiteral("Twice"));
        QVERIFY(dialog.saveButton()->isEnabled());
        prompter.expectMessage(
            QStringLiteral("Scheme with this variant of recoding already exists"));
        dialog.saveButton()->click();
        QCOMPARE(dialog.result(), 0);

        const std::array<int, 5> chain{8, 13, -1, -1, -1};
        SchemeNameDialog other(QStringLiteral("kw wm "), chain, *store, prompter);
        other.nameEdit()->setText(QStringLiteral("Koi->Mac"));
        other.saveButton()->click();
        QCOMPARE(other.result(), int(QDialog::Accepted));
        QCOMPARE(readScheme(*store, 23), (StoredScheme{23, "Koi->Mac", "kw wm"}));
        QCOMPARE(readSetting(*store, kTotalSchemes), 24);
    }

    void nameDialogInRussian() {
        writeSetting(*store, kLanguage, 0);
        const std::array<int, 5> chain{8, -1, -1, -1, -1};
        SchemeNameDialog dialog(QStringLiteral("kw "), chain, *store, prompter);
        QCOMPARE(dialog.windowTitle(), QString::fromUtf8("Сохранить kw  как схему"));
        QCOMPARE(labelText(&dialog, "enterNameLabel"), QString::fromUtf8("Введите название схемы"));
        QCOMPARE(dialog.saveButton()->text(), QString::fromUtf8("Сохранить"));
        QCOMPARE(dialog.cancelButton()->text(), QString::fromUtf8("Отмена"));
        dialog.nameEdit()->setText(QStringLiteral("Koi->Win"));
        prompter.expectMessage(
            QString::fromUtf8("Схема с таким названием и вариантом перекодировки уже существует"));
        dialog.saveButton()->click();
    }

    void saveAsSchemeRefillsTheBoxAndSelectsTheLastScheme() {
        writeSetting(*store, kLastScheme, "koi->w");
        list.select(0);
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<SchemeNameDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            dialog->nameEdit()->setText(QStringLiteral("Mine"));
            dialog->saveButton()->click();
        });
        const std::array<int, 5> chain{1, 1, -1, -1, -1};
        QVERIFY(
            saveChainAsScheme(nullptr, *store, prompter, QStringLiteral("ak ak "), chain, &list));
        QCOMPARE(list.size(), 25);
        QCOMPARE(QString::fromStdString(list.name(24)), QStringLiteral("Mine"));
        QCOMPARE(list.selectedNumber(), 8);
        QCOMPARE(readSetting(*store, kTotalSchemes), 24);
    }

    void deleteAsksAndSelectsTheItemBefore() {
        list.selectNumber(0); // the first stored scheme
        prompter.expectQuestion(QStringLiteral("Do you really want to delete this scheme?"),
                                Answer::no);
        QVERIFY(!deleteSelectedScheme(list, *store, prompter, languageOf(1), nullptr));
        QCOMPARE(prompter.lastIcon(), QuestionIcon::question);
        QCOMPARE(list.size(), 24);
        QVERIFY(readScheme(*store, 0).has_value());

        prompter.expectQuestion(QStringLiteral("Do you really want to delete this scheme?"),
                                Answer::yes);
        QVERIFY(deleteSelectedScheme(list, *store, prompter, languageOf(1), nullptr));
        QCOMPARE(list.size(), 23);
        QCOMPARE(list.selectedIndex(), 0); // "Auto"
        QVERIFY(!readScheme(*store, 0).has_value());
        QCOMPARE(readSetting(*store, kTotalSchemes), 22);

        list.selectNumber(7);
        prompter.expectQuestion(QString::fromUtf8("Вы действительно хотите удалить эту схему?"),
                                Answer::yes);
        QVERIFY(deleteSelectedScheme(list, *store, prompter, languageOf(0), nullptr));
        QCOMPARE(list.selectedNumber(), 6);

        // "Auto": nothing is asked.
        list.select(0);
        QVERIFY(!deleteSelectedScheme(list, *store, prompter, languageOf(1), nullptr));
    }

    void failedDeleteShowsTheErrorAndKeepsTheScheme() {
        store->setDeleteError(EACCES);
        list.selectNumber(4);
        prompter.expectQuestion(QStringLiteral("Do you really want to delete this scheme?"),
                                Answer::yes);
        prompter.expectMessage(QString::fromStdString(errorMessage(EACCES)));
        QVERIFY(!deleteSelectedScheme(list, *store, prompter, languageOf(1), nullptr));
        QCOMPARE(list.size(), 24);
        QCOMPARE(list.selectedNumber(), 4);
        QCOMPARE(readSetting(*store, kTotalSchemes), 23);
    }

private:
    std::unique_ptr<MemorySettingsStore> store;
    SchemeList list;
    [[nodiscard]] SchemeBoxSelection selection() const {
        return {list.selectedName(), list.selectedNumber()};
    }
    testing::QueuedPrompter prompter;
};

QTEST_MAIN(SchemeDialogsTest)
#include "scheme_dialogs_test.moc"
